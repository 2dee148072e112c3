// Runs a fuzz target over every file of the folders (or files) named on the
// command line: the corpus replay of the test command, without libFuzzer.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz_targets.h"

int main(int argc, char** argv) {
    size_t count = 0;
    for (int a = 1; a < argc; ++a) {
        std::vector<std::filesystem::path> files;
        if (std::filesystem::is_directory(argv[a])) {
            for (const auto& e : std::filesystem::directory_iterator(argv[a])) {
                if (e.is_regular_file()) files.push_back(e.path());
            }
        } else {
            files.emplace_back(argv[a]);
        }
        for (const auto& path : files) {
            std::ifstream in(path, std::ios::binary);
            const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++count;
        }
    }
    std::printf("replayed %zu inputs\n", count);
    return count > 0 ? 0 : 1;
}
