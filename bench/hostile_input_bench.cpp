// Reading files that hostile or damaged input can give, through the loading
// rule as the editor runs it (text reader first, then binary reader):
// - a valid model followed by a 1 GiB line without a line end: peak memory
//   set against the file's size (the bound is 1.1x);
// - 200 MB of empty binary records under a record count of 2^31 - 1: the
//   speed, set against one read() of a file of the same size.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include "bench_model.h"
#include "files/ykt/ykt_files.h"

namespace torvel::bench {
namespace {

constexpr size_t kLongLine = size_t{1} << 30;
constexpr size_t kZeroRecords = size_t{200} << 20;

std::string TempPath(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

// The small sample model with a 1 GiB line after it.
const std::string& LongLineFile() {
    static const std::string path = [] {
        const std::string p = TempPath("torvel-bench-long-line.ykt");
        std::filesystem::copy_file(TORVEL_SAMPLES_DIR "/robot.ykt", p,
                                   std::filesystem::copy_options::overwrite_existing);
        std::FILE* f = std::fopen(p.c_str(), "ab");
        const std::vector<char> block(size_t{1} << 20, 'x');
        std::fputc('\n', f);
        for (size_t k = 0; k < kLongLine / block.size(); ++k) std::fwrite(block.data(), 1, block.size(), f);
        std::fclose(f);
        return p;
    }();
    return path;
}

const std::string& ZeroRecordsFile() {
    static const std::string path = [] {
        const std::string p = TempPath("torvel-bench-zero-records.ykt");
        std::FILE* f = std::fopen(p.c_str(), "wb");
        const int32_t count = INT32_MAX;
        std::fwrite("YKT", 1, 4, f);
        std::fwrite(&count, 4, 1, f);
        const std::vector<char> zeros(size_t{1} << 20, 0);
        for (size_t k = 0; k < kZeroRecords / zeros.size(); ++k) std::fwrite(zeros.data(), 1, zeros.size(), f);
        std::fclose(f);
        return p;
    }();
    return path;
}

void BM_LoadLongLinePeakMemory(benchmark::State& state) {
    const std::string& path = LongLineFile();
    long load = 0;
    long idle = 0;
    long unused = 0;
    for (auto _ : state) {
        if (!ChildPeak(("--peak-load '" + path + "'").c_str(), load, unused) ||
            !ChildPeak(("--peak-load-none '" + path + "'").c_str(), idle, unused)) {
            state.SkipWithError("child failed");
        }
    }
    const double file_kb = static_cast<double>(std::filesystem::file_size(path)) / 1024.0;
    state.counters["peak_MiB"] = static_cast<double>(load - idle) / 1024.0;
    state.counters["file_MiB"] = file_kb / 1024.0;
    state.counters["peak_over_file"] = static_cast<double>(load - idle) / file_kb;
}
BENCHMARK(BM_LoadLongLinePeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_LoadZeroRecords(benchmark::State& state) {
    const std::string& path = ZeroRecordsFile();
    auto doc = NewDocument();
    Notifier quiet;
    for (auto _ : state) {
        if (LoadModelFile(*doc, path.c_str(), quiet)) state.SkipWithError("an empty model was accepted");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK(BM_LoadZeroRecords)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The baseline: one read() of the whole file into a fresh buffer.
void BM_LoadZeroRecordsBaselineOneRead(benchmark::State& state) {
    const std::string& path = ZeroRecordsFile();
    const size_t size = std::filesystem::file_size(path);
    for (auto _ : state) ReadOnce(path, size);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
}
BENCHMARK(BM_LoadZeroRecordsBaselineOneRead)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

// The child side of the long-line measurement: its peak after loading the
// file, or after doing nothing.
int PeakLoad(bool load, const char* path) {
    auto doc = NewDocument();
    Notifier quiet;
    const bool ok = !load || LoadModelFile(*doc, path, quiet);
    std::printf("%ld 0\n", PeakKilobytes());
    return ok ? 0 : 1;
}

}  // namespace torvel::bench
