// Output operations that collect a writer's bytes in memory, so the round
// trip needs no file system.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "files/io/output_file.h"

namespace torvel::fuzz {

inline std::vector<uint8_t>& WrittenBytes() {
    static std::vector<uint8_t> bytes;
    return bytes;
}

inline OutputOps MemoryOutputOps() {
    OutputOps ops{};
    ops.resolve = [](const FilePath& target, FilePath& file) {
        file = target;
        return true;
    };
    ops.create_temp = [](const FilePath&, FilePath& temp) -> std::FILE* {
        WrittenBytes().clear();
        temp = "memory";
        // Any non-null handle will do: only the functions below see it.
        static std::FILE* const token = reinterpret_cast<std::FILE*>(&WrittenBytes());
        return token;
    };
    ops.write = [](const void* data, size_t size, std::FILE*) -> size_t {
        const auto* p = static_cast<const uint8_t*>(data);
        WrittenBytes().insert(WrittenBytes().end(), p, p + size);
        return size;
    };
    ops.flush = [](std::FILE*) { return 0; };
    ops.name_temp = [](std::FILE*, const FilePath&, FilePath&) { return true; };
    ops.close = [](std::FILE*) { return 0; };
    ops.replace = [](const FilePath&, const FilePath&) { return true; };
    ops.remove = [](const FilePath&) {};
    return ops;
}

}  // namespace torvel::fuzz
