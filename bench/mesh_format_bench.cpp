// The mesh formats with a model of one million vertices and one million quads:
// each written and read (the whole file read into memory, then converted, as
// torvel-cli does), against a baseline in the same run: tinyobjloader's parse
// into its own arrays for OBJ (the library the program once read OBJ with),
// a straightforward fread reader for binary STL and PLY, and one read of the
// file for glb. The OBJ read's peak memory is measured for both as well.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>
#include <streambuf>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

// The OBJ library is only the baseline of the OBJ read: the program reads OBJ
// with its own reader. Read in double precision, as the program once used it.
#define TINYOBJLOADER_USE_DOUBLE
#define TINYOBJLOADER_IMPLEMENTATION
#include <tiny_obj_loader.h>

#include "bench_model.h"
#include "files/mesh/gltf_format.h"
#include "files/mesh/obj_format.h"
#include "files/mesh/ply_format.h"
#include "files/mesh/stl_format.h"

namespace torvel::bench {
namespace {

enum class Mesh { Obj, Glb, Stl, Ply };

std::string PathOf(Mesh mesh) {
    static const char* const names[] = {"bench.obj", "bench.glb", "bench.stl", "bench.ply"};
    return (std::filesystem::temp_directory_path() / names[static_cast<int>(mesh)]).string();
}

bool Write(Document& doc, Mesh mesh, const std::string& path) {
    Notifier quiet;
    std::vector<std::string> notes;
    switch (mesh) {
    case Mesh::Obj: return WriteObj(doc, path.c_str(), quiet, notes);
    case Mesh::Glb: return WriteGltf(doc, path.c_str(), true, quiet, notes);
    case Mesh::Stl: return WriteStl(doc, path.c_str(), false, quiet, notes);
    default: return WritePly(doc, path.c_str(), false, quiet, notes);
    }
}

// The file of each format, written once per process.
const std::string& FileOf(Mesh mesh) {
    static std::string paths[4];
    std::string& path = paths[static_cast<int>(mesh)];
    if (path.empty()) {
        auto doc = MakeGridModel(1000000);
        path = PathOf(mesh);
        Write(*doc, mesh, path);
    }
    return path;
}

std::vector<uint8_t> WholeFile(const std::string& path) {
    std::vector<uint8_t> bytes(std::filesystem::file_size(path));
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f != nullptr) {
        if (std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size()) bytes.clear();
        std::fclose(f);
    }
    return bytes;
}

bool Read(Document& doc, Mesh mesh, const std::string& path) {
    const std::vector<uint8_t> bytes = WholeFile(path);
    std::vector<std::string> notes;
    switch (mesh) {
    case Mesh::Obj: {
        const std::vector<uint8_t> mtl = WholeFile(Utf8Text(MaterialLibraryPath(path.c_str())));
        const auto library = [&](const std::string&, std::string& text) {
            text.assign(mtl.begin(), mtl.end());
            return true;
        };
        return ReadObj(doc, bytes, library, nullptr, notes);
    }
    case Mesh::Glb: return ReadGltf(doc, bytes, {}, nullptr, notes);
    case Mesh::Stl: return ReadStl(doc, bytes, nullptr);
    default: return ReadPly(doc, bytes, nullptr);
    }
}

void BM_MeshWrite(benchmark::State& state) {
    const auto mesh = static_cast<Mesh>(state.range(0));
    auto doc = MakeGridModel(1000000);
    const std::string path = PathOf(mesh) + ".out" + std::filesystem::path(PathOf(mesh)).extension().string();
    for (auto _ : state) {
        if (!Write(*doc, mesh, path)) state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(path)));
    std::filesystem::remove(path);
}

void BM_MeshRead(benchmark::State& state) {
    const auto mesh = static_cast<Mesh>(state.range(0));
    const std::string& path = FileOf(mesh);
    auto doc = NewDocument();
    for (auto _ : state) {
        if (!Read(*doc, mesh, path)) state.SkipWithError("read failed");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(path)));
}

// 0 OBJ, 1 glb, 2 binary STL, 3 binary PLY.
BENCHMARK(BM_MeshWrite)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_MeshRead)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->MinTime(1.0);

class MemoryBuffer : public std::streambuf {
public:
    explicit MemoryBuffer(std::vector<uint8_t>& bytes) {
        char* p = reinterpret_cast<char*>(bytes.data());
        setg(p, p, p + bytes.size());
    }
};

// The OBJ library's own parse of the same file, into its own arrays.
void BM_MeshReadObjBaselineLibraryParse(benchmark::State& state) {
    const std::string& path = FileOf(Mesh::Obj);
    for (auto _ : state) {
        std::vector<uint8_t> bytes = WholeFile(path);
        MemoryBuffer buffer(bytes);
        std::istream in(&buffer);
        tinyobj::attrib_t attrib;
        std::vector<tinyobj::shape_t> shapes;
        std::vector<tinyobj::material_t> materials;
        std::string warn, err;
        if (!tinyobj::LoadObj(&attrib, &shapes, &materials, &warn, &err, &in, nullptr, false, false)) {
            state.SkipWithError("parse failed");
        }
        benchmark::DoNotOptimize(attrib.vertices.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK(BM_MeshReadObjBaselineLibraryParse)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// The OBJ file's bytes, read once, parsed by the program's reader (0) and by
// the library (1) in the same run: the parse alone, without the file read.
void BM_MeshReadObjFromMemory(benchmark::State& state) {
    std::vector<uint8_t> bytes = WholeFile(FileOf(Mesh::Obj));
    auto doc = NewDocument();
    for (auto _ : state) {
        bool ok = true;
        if (state.range(0) == 0) {
            std::vector<std::string> notes;
            ok = ReadObj(*doc, bytes, {}, nullptr, notes);
        } else {
            MemoryBuffer buffer(bytes);
            std::istream in(&buffer);
            tinyobj::attrib_t attrib;
            std::vector<tinyobj::shape_t> shapes;
            std::vector<tinyobj::material_t> materials;
            std::string warn, err;
            ok = tinyobj::LoadObj(&attrib, &shapes, &materials, &warn, &err, &in, nullptr, false, false);
            benchmark::DoNotOptimize(attrib.vertices.data());
        }
        if (!ok) state.SkipWithError("parse failed");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_MeshReadObjFromMemory)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Resident kilobytes of this process now (VmRSS).
long ResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        long value = 0;
        if (key == "VmRSS:" && status >> value) return value;
    }
    return -1;
}

// The peak of one OBJ read above what the process held with the file's bytes
// in memory, measured in a fresh copy of this program, for the program's
// reader and the library's parse, against the Document's arrays.
void BM_MeshReadObjPeakMemory(benchmark::State& state) {
    const std::string& path = FileOf(Mesh::Obj);
    long own = 0, library = 0, arrays = 0, unused = 0;
    for (auto _ : state) {
        if (!ChildPeak(("--peak-obj own '" + path + "'").c_str(), own, arrays) ||
            !ChildPeak(("--peak-obj library '" + path + "'").c_str(), library, unused)) {
            state.SkipWithError("child failed");
        }
    }
    state.counters["own_MiB"] = static_cast<double>(own) / 1024.0;
    state.counters["library_MiB"] = static_cast<double>(library) / 1024.0;
    state.counters["arrays_MiB"] = static_cast<double>(arrays) / 1024.0;
    state.counters["own_over_arrays"] = static_cast<double>(own) / static_cast<double>(arrays);
    state.counters["library_over_arrays"] = static_cast<double>(library) / static_cast<double>(arrays);
}
BENCHMARK(BM_MeshReadObjPeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

// Binary STL read facet by facet with fread into the arrays.
void BM_MeshReadStlBaselineFread(benchmark::State& state) {
    const std::string& path = FileOf(Mesh::Stl);
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        char header[80];
        uint32_t count = 0;
        if (f == nullptr || std::fread(header, 1, 80, f) != 80 || std::fread(&count, 4, 1, f) != 1) {
            state.SkipWithError("read failed");
            break;
        }
        std::vector<Vec3> vertices(3 * size_t{count}), normals(count);
        for (uint32_t t = 0; t < count; ++t) {
            uint16_t attribute;
            std::fread(&normals[t], 12, 1, f);
            std::fread(&vertices[3 * size_t{t}], 12, 3, f);
            std::fread(&attribute, 2, 1, f);
        }
        std::fclose(f);
        benchmark::DoNotOptimize(vertices.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK(BM_MeshReadStlBaselineFread)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Binary PLY of the writer's layout: the header by lines, then each vertex
// (nine floats with weights) and each triangle (a count byte, three ints)
// with fread.
void BM_MeshReadPlyBaselineFread(benchmark::State& state) {
    const std::string& path = FileOf(Mesh::Ply);
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        char line[256];
        long vertices = 0, faces = 0;
        int properties = 0;
        while (f != nullptr && std::fgets(line, sizeof line, f) != nullptr && std::strcmp(line, "end_header\n") != 0) {
            std::sscanf(line, "element vertex %ld", &vertices);
            std::sscanf(line, "element face %ld", &faces);
            if (std::strncmp(line, "property float", 14) == 0) ++properties;
        }
        if (f == nullptr) {
            state.SkipWithError("read failed");
            break;
        }
        std::vector<float> values(static_cast<size_t>(vertices) * static_cast<size_t>(properties));
        for (long v = 0; v < vertices; ++v) {
            std::fread(&values[static_cast<size_t>(v * properties)], 4, static_cast<size_t>(properties), f);
        }
        std::vector<Face> triangles(static_cast<size_t>(faces));
        for (long t = 0; t < faces; ++t) {
            unsigned char n;
            std::fread(&n, 1, 1, f);
            std::fread(triangles[static_cast<size_t>(t)].v, 4, 3, f);
        }
        std::fclose(f);
        benchmark::DoNotOptimize(values.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK(BM_MeshReadPlyBaselineFread)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// One read of the glb file: what a reader doing nothing else would cost.
void BM_MeshReadGlbBaselineOneRead(benchmark::State& state) {
    const std::string& path = FileOf(Mesh::Glb);
    const size_t size = std::filesystem::file_size(path);
    for (auto _ : state) ReadOnce(path, size);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
}
BENCHMARK(BM_MeshReadGlbBaselineOneRead)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

// The child side of the OBJ peak measurement: the file's bytes read first,
// then one read by the program ("own") or the library ("library"); prints the
// peak above the resident memory before the read and the kilobytes of the
// Document's arrays (those the program's read made).
int PeakObj(const char* reader, const char* path) {
    std::vector<uint8_t> bytes = WholeFile(path);
    auto doc = NewDocument();
    const long before = ResidentKilobytes();
    bool ok = true;
    if (std::strcmp(reader, "own") == 0) {
        std::vector<std::string> notes;
        ok = ReadObj(*doc, bytes, {}, nullptr, notes);
    } else {
        MemoryBuffer buffer(bytes);
        std::istream in(&buffer);
        tinyobj::attrib_t attrib;
        std::vector<tinyobj::shape_t> shapes;
        std::vector<tinyobj::material_t> materials;
        std::string warn, err;
        ok = tinyobj::LoadObj(&attrib, &shapes, &materials, &warn, &err, &in, nullptr, false, false);
    }
    const long arrays_kb = static_cast<long>((doc->vertices.size() * 38 + doc->faces.size() * 16) / 1024);
    std::printf("%ld %ld\n", PeakKilobytes() - before, arrays_kb);
    return ok ? 0 : 1;
}

}  // namespace torvel::bench
