// The grid model and the polled Notifier: the part of the benchmarks' models
// that needs neither Google Benchmark nor a POSIX system, so that
// thread-thresholds builds for Windows too.
#include <cstdio>

#include "bench_model.h"

namespace torvel::bench {

Progress* PolledProgress() {
    static Progress progress;
    return &progress;
}

Notifier Polled() {
    Notifier n;
    n.progress = PolledProgress();
    return n;
}

std::unique_ptr<Document> MakeGridModel(int vertices) {
    auto doc = NewDocument();
    Document& d = *doc;
    const int width = 1000;
    d.parts_count = 1;
    d.total_vertex_count = vertices;
    d.total_face_count = vertices;
    AllocateVertexArrays(d, vertices);
    AllocateFaceArray(d, vertices);
    for (int k = 0; k < vertices; ++k) {
        const size_t i = static_cast<size_t>(k);
        const float x = static_cast<float>(k % width) * 0.013f - 6.5f;
        const float y = static_cast<float>(k / width) * 0.017f - 8.5f;
        d.vertices[i] = {x, y, 0.001f * static_cast<float>(k % 977)};
        d.normals[i] = {0.0f, 0.70710677f, 0.70710677f};
        d.texture_map_u[i] = static_cast<float>(k % width) / width;
        d.texture_map_v[i] = static_cast<float>(k / width) / width;
        d.blend[i] = 1.0f;
        const int32_t a = k;
        const int32_t b = (k + 1) % vertices;
        const int32_t c = (k + 1 + width) % vertices;
        const int32_t e = (k + width) % vertices;
        d.faces[i] = {{a, b, c, e}};
    }
    d.has_blend = true;
    d.vertex_offset[1] = vertices;
    d.face_offset[1] = vertices;
    std::snprintf(d.parts_name[0], kNameSize, "grid");
    d.corner_min[0] = {-6.5f, -8.5f, 0};
    d.corner_max[0] = {6.5f, 8.5f, 1};
    d.total_corner_min = d.corner_min[0];
    d.total_corner_max = d.corner_max[0];
    return doc;
}

}  // namespace torvel::bench
