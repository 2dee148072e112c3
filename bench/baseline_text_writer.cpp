// The straightforward writer the text writer is measured against: the same
// layout, one fprintf per line, through the C library's stream buffer. It
// writes the parts blocks only, which is all the benchmark's model has.

#include <cstdio>

#include "bench_model.h"

namespace torvel::bench {

namespace {

void Vec(std::FILE* f, const char* open, const Vec3& v, const char* close) {
    std::fprintf(f, "\r\n%s\r\n%f %f %f\r\n%s", open, v.x, v.y, v.z, close);
}

void Argb(std::FILE* f, const char* open, const float* c, const char* close) {
    std::fprintf(f, "\r\n%s\r\n%f %f %f %f\r\n%s", open, c[3], c[0], c[1], c[2], close);
}

}  // namespace

bool BaselineWriteYktText(const Document& doc, const char* path) {
    std::FILE* f = std::fopen(path, "wb");
    if (f == nullptr) return false;
    std::fprintf(f, "<version>\r\n%s\r\n</version>", doc.version[0] != '\0' ? doc.version : "1.61");
    std::fprintf(f, "\r\n<parts_count>\r\n%d\r\n</parts_count>", doc.parts_count);
    std::fprintf(f, "\r\n<motion_count>\r\n%d\r\n</motion_count>", doc.motion_count);
    std::fprintf(f, "\r\n<unit_count>\r\n%d\r\n</unit_count>", doc.unit_count);
    std::fprintf(f, "\r\n<total_vertex_count>\r\n%d\r\n</total_vertex_count>", doc.total_vertex_count);
    std::fprintf(f, "\r\n<total_face_count>\r\n%d\r\n</total_face_count>", doc.total_face_count);
    Vec(f, "<total_corner_min>", doc.total_corner_min, "</total_corner_min>");
    Vec(f, "<total_corner_max>", doc.total_corner_max, "</total_corner_max>");
    Vec(f, "<total_center>", doc.total_center, "</total_center>");
    std::fprintf(f, "\r\n<texture_all>\r\n%d\r\n</texture_all>", doc.texture_all & 0xFF);
    for (int i = 0; i < doc.parts_count; ++i) {
        const Material& m = doc.material[i];
        std::fprintf(f, "\r\n<polygon_mesh>\r\n<parts_name>\r\n%s\r\n</parts_name>", doc.parts_name[i]);
        Vec(f, "<corner_min>", doc.corner_min[i], "</corner_min>");
        Vec(f, "<corner_max>", doc.corner_max[i], "</corner_max>");
        Vec(f, "<center>", doc.center[i], "</center>");
        Argb(f, "<diffuse>", m.diffuse, "</diffuse>");
        Argb(f, "<specular>", m.specular, "</specular>");
        Argb(f, "<emission>", m.emission, "</emission>");
        std::fprintf(f, "\r\n<specular_power>\r\n%f\r\n</specular_power>", m.specular_power);
        std::fprintf(f, "\r\n<texture_file>\r\n%s\r\n</texture_file>", doc.texture_file[i]);
        std::fprintf(f, "\r\n<texture_map_flag>\r\n%d\r\n</texture_map_flag>", doc.texture_map_flag[i]);
        std::fprintf(f, "\r\n<texture_map_param>\r\n%d %f %f %f %f\r\n</texture_map_param>",
                     doc.texture_map_param_int[i], doc.texture_map_param_p12[i][0], doc.texture_map_param_p12[i][1],
                     doc.texture_map_param_p34[i][0], doc.texture_map_param_p34[i][1]);
        std::fprintf(f, "\r\n<vertex_count>\r\n%d\r\n</vertex_count>\r\n<vertices>",
                     doc.vertex_offset[i + 1] - doc.vertex_offset[i]);
        for (int32_t v = doc.vertex_offset[i]; v < doc.vertex_offset[i + 1]; ++v) {
            const size_t k = static_cast<size_t>(v);
            const Vec3& p = doc.vertices[k];
            const Vec3& n = doc.normals[k];
            std::fprintf(f, "\r\n%f %f %f %f %f %f %f %f", p.x, p.y, p.z, n.x, n.y, n.z, doc.texture_map_u[k],
                         doc.texture_map_v[k]);
            if (doc.has_blend) std::fprintf(f, " %f", doc.blend[k]);
        }
        std::fprintf(f, "\r\n</vertices>\r\n<face_count>\r\n%d\r\n</face_count>\r\n<faces>",
                     doc.face_offset[i + 1] - doc.face_offset[i]);
        for (int32_t g = doc.face_offset[i]; g < doc.face_offset[i + 1]; ++g) {
            const int32_t* v = doc.faces[static_cast<size_t>(g)].v;
            std::fprintf(f, "\r\n%d %d %d %d", v[0], v[1], v[2], v[3]);
        }
        std::fprintf(f, "\r\n</faces>\r\n</polygon_mesh>");
    }
    return std::fclose(f) == 0;
}

}  // namespace torvel::bench
