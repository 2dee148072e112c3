#include "bench_model.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include "platform/heap_array.h"

#include <cstdio>
#include <filesystem>

#include "files/ykt/ykt_files.h"

namespace torvel::bench {

namespace {

std::string WriteOnce(bool binary) {
    // A memory file system keeps the disk out of the figures where there is one.
    const std::filesystem::path folder =
        std::filesystem::is_directory("/dev/shm") ? std::filesystem::path("/dev/shm")
                                                  : std::filesystem::temp_directory_path();
    const std::string path =
        (folder / (binary ? "torvel-bench-binary.ykt" : "torvel-bench-text.ykt")).string();
    auto doc = MakeGridModel(1000000);
    Notifier quiet;
    const bool ok = binary ? WriteYktBinary(*doc, path.c_str(), quiet) : WriteYktText(*doc, path.c_str(), quiet);
    if (!ok) std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return path;
}

}  // namespace

const std::string& TextFile() {
    static const std::string path = WriteOnce(false);
    return path;
}

const std::string& BinaryFile() {
    static const std::string path = WriteOnce(true);
    return path;
}

void ReadOnce(const std::string& path, size_t size) {
    HeapArray<uint8_t> buffer;
    buffer.resize(size);
    const int fd = ::open(path.c_str(), O_RDONLY);
    size_t got = 0;
    while (fd >= 0 && got < size) {
        const ssize_t n = ::read(fd, buffer.data() + got, size - got);
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    if (fd >= 0) ::close(fd);
    benchmark::DoNotOptimize(buffer.data());
}

}  // namespace torvel::bench
