// Reading and writing a model of one million vertices and one million quads
// in both forms, against an fgets + sscanf reader measured in the same run.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bench_model.h"
#include "files/ykt/ykt_files.h"

namespace torvel::bench {
namespace {

int64_t FileSize(const std::string& path) {
    return static_cast<int64_t>(std::filesystem::file_size(path));
}

void BM_ReadText(benchmark::State& state) {
    const std::string& path = TextFile();
    auto doc = NewDocument();
    const Notifier quiet = Polled();
    for (auto _ : state) {
        if (!ReadYktText(*doc, path.c_str(), quiet)) state.SkipWithError("read failed");
    }
    state.SetBytesProcessed(state.iterations() * FileSize(path));
}
BENCHMARK(BM_ReadText)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

void BM_ReadTextBaselineFgetsSscanf(benchmark::State& state) {
    const std::string& path = TextFile();
    auto doc = NewDocument();
    for (auto _ : state) {
        if (!BaselineReadYktText(*doc, path.c_str())) state.SkipWithError("read failed");
    }
    state.SetBytesProcessed(state.iterations() * FileSize(path));
}
BENCHMARK(BM_ReadTextBaselineFgetsSscanf)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_WriteText(benchmark::State& state) {
    auto doc = MakeGridModel(1000000);
    const std::string path = TextFile() + ".out";
    const Notifier quiet = Polled();
    for (auto _ : state) {
        if (!WriteYktText(*doc, path.c_str(), quiet)) state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(state.iterations() * FileSize(path));
    std::filesystem::remove(path);
}
BENCHMARK(BM_WriteText)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The same file written with one fprintf per line; the run fails when its
// bytes differ from the text writer's.
void BM_WriteTextBaselineFprintf(benchmark::State& state) {
    auto doc = MakeGridModel(1000000);
    const std::string path = TextFile() + ".fprintf";
    for (auto _ : state) {
        if (!BaselineWriteYktText(*doc, path.c_str())) state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(state.iterations() * FileSize(path));
    if (FileBytes(path) != FileBytes(TextFile())) state.SkipWithError("bytes differ from WriteYktText");
    std::filesystem::remove(path);
}
BENCHMARK(BM_WriteTextBaselineFprintf)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

void BM_ReadBinary(benchmark::State& state) {
    const std::string& path = BinaryFile();
    auto doc = NewDocument();
    const Notifier quiet = Polled();
    for (auto _ : state) {
        if (!ReadYktBinary(*doc, path.c_str(), quiet)) state.SkipWithError("read failed");
    }
    state.SetBytesProcessed(state.iterations() * FileSize(path));
}
BENCHMARK(BM_ReadBinary)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The raw figure: one read() of the file into fresh memory, as a reader that
// did nothing else would cost.
void BM_ReadBinaryBaselineOneRead(benchmark::State& state) {
    const std::string& path = BinaryFile();
    const size_t size = static_cast<size_t>(FileSize(path));
    for (auto _ : state) ReadOnce(path, size);
    state.SetBytesProcessed(state.iterations() * FileSize(path));
}
BENCHMARK(BM_ReadBinaryBaselineOneRead)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_WriteBinary(benchmark::State& state) {
    auto doc = MakeGridModel(1000000);
    const std::string path = BinaryFile() + ".out";
    const Notifier quiet = Polled();
    for (auto _ : state) {
        if (!WriteYktBinary(*doc, path.c_str(), quiet)) state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(state.iterations() * FileSize(path));
    std::filesystem::remove(path);
}
BENCHMARK(BM_WriteBinary)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

// The raw figure: one write() of the file's bytes from memory into a file
// created anew (the old one's pages freed, as a save frees them).
void BM_WriteBinaryBaselineOneWrite(benchmark::State& state) {
    const std::string bytes = FileBytes(BinaryFile());
    const std::string path = BinaryFile() + ".raw";
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        size_t done = 0;
        while (fd >= 0 && done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        if (fd < 0 || ::close(fd) != 0 || done != bytes.size()) state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
    std::filesystem::remove(path);
}
BENCHMARK(BM_WriteBinaryBaselineOneWrite)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

// Peak resident memory of one read: a fresh copy of this program reads the
// file and reports its own peak (VmHWM); the peak of a copy that reads
// nothing is subtracted, and the rest is set against the size of the
// Document's arrays.
}  // namespace

long PeakKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        long value = 0;
        if (key == "VmHWM:" && status >> value) return value;
    }
    return -1;
}

bool ChildPeak(const char* mode, long& first, long& second) {
    const std::string command = "/proc/" + std::to_string(getpid()) + "/exe " + mode;
    std::FILE* child = popen(command.c_str(), "r");
    if (child == nullptr) return false;
    const bool read = std::fscanf(child, "%ld %ld", &first, &second) == 2;
    return pclose(child) == 0 && read;
}

namespace {

long ChildPeakKilobytes(const char* form, const std::string& path) {
    const std::string command = "/proc/" + std::to_string(getpid()) + "/exe --peak-read " + form + " '" + path + "'";
    std::FILE* child = popen(command.c_str(), "r");
    if (child == nullptr) return -1;
    long kb = -1;
    if (std::fscanf(child, "%ld", &kb) != 1) kb = -1;
    return pclose(child) == 0 ? kb : -1;
}

void MeasurePeak(benchmark::State& state, bool binary) {
    const std::string& path = binary ? BinaryFile() : TextFile();
    auto doc = MakeGridModel(1000000);
    const double arrays_kb = (static_cast<double>(doc->vertices.size()) * 38.0 +
                              static_cast<double>(doc->faces.size()) * 16.0) / 1024.0;
    long peak = 0;
    long idle = 0;
    for (auto _ : state) {
        peak = ChildPeakKilobytes(binary ? "binary" : "text", path);
        idle = ChildPeakKilobytes("none", path);
        if (peak < 0 || idle < 0) state.SkipWithError("child failed");
    }
    state.counters["peak_MiB"] = static_cast<double>(peak - idle) / 1024.0;
    state.counters["arrays_MiB"] = arrays_kb / 1024.0;
    state.counters["peak_over_arrays"] = static_cast<double>(peak - idle) / arrays_kb;
}

void BM_ReadTextPeakMemory(benchmark::State& state) {
    MeasurePeak(state, false);
}
BENCHMARK(BM_ReadTextPeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_ReadBinaryPeakMemory(benchmark::State& state) {
    MeasurePeak(state, true);
}
BENCHMARK(BM_ReadBinaryPeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace torvel::bench

// The child side of the peak measurement.
int PeakRead(const char* form, const char* path) {
    auto doc = torvel::NewDocument();
    const torvel::Notifier quiet = torvel::bench::Polled();
    bool ok = true;
    if (std::strcmp(form, "text") == 0) ok = torvel::ReadYktText(*doc, path, quiet);
    if (std::strcmp(form, "binary") == 0) ok = torvel::ReadYktBinary(*doc, path, quiet);
    std::printf("%ld\n", torvel::bench::PeakKilobytes());
    return ok ? 0 : 1;
}

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--peak-read") == 0) return PeakRead(argv[2], argv[3]);
    if (argc == 2 && std::strcmp(argv[1], "--peak-split") == 0) return torvel::bench::PeakSplit(true);
    if (argc == 2 && std::strcmp(argv[1], "--peak-none") == 0) return torvel::bench::PeakSplit(false);
    if (argc == 4 && std::strcmp(argv[1], "--peak-obj") == 0) return torvel::bench::PeakObj(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "--peak-load") == 0) return torvel::bench::PeakLoad(true, argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "--peak-load-none") == 0) return torvel::bench::PeakLoad(false, argv[2]);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
