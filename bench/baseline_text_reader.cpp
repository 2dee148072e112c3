// The straightforward way to read the text form: fgets line by line, strcmp
// against the tags in row order, sscanf for each data line. Kept only as the
// speed baseline; it follows the same rules for the rows a mesh file uses.

#include <cstdio>
#include <cstring>

#include "bench_model.h"

namespace torvel::bench {

namespace {

const char* const kOpen[] = {"<version>", "<parts_count>", "<motion_count>", "<unit_count>",
                             "<total_vertex_count>", "<total_face_count>", "<total_corner_min>",
                             "<total_corner_max>", "<total_center>", "<texture_all>", "<parts_name>",
                             "<corner_min>", "<corner_max>", "<center>", "<diffuse>", "<specular>",
                             "<emission>", "<specular_power>", "<texture_file>", "<texture_map_flag>",
                             "<texture_map_param>", "", "<vertex_count>", "<vertices>", "<face_count>",
                             "<faces>"};
const char* const kClose[] = {"</version>", "</parts_count>", "</motion_count>", "</unit_count>",
                              "</total_vertex_count>", "</total_face_count>", "</total_corner_min>",
                              "</total_corner_max>", "</total_center>", "</texture_all>", "</parts_name>",
                              "</corner_min>", "</corner_max>", "</center>", "</diffuse>", "</specular>",
                              "</emission>", "</specular_power>", "</texture_file>", "</texture_map_flag>",
                              "</texture_map_param>", "</polygon_mesh>", "</vertex_count>", "</vertices>",
                              "</face_count>", "</faces>"};
constexpr int kRows = static_cast<int>(sizeof kOpen / sizeof kOpen[0]);

}  // namespace

bool BaselineReadYktText(Document& doc, const char* path) {
    ResetDocument(doc);
    std::FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return false;
    static char line[4096];
    int state = 0;
    int i = 0;
    size_t n = 0;
    size_t fi = 0;
    while (std::fgets(line, sizeof line, f) != nullptr) {
        size_t len = std::strlen(line);
        if (len > 0 && line[len - 1] == '\n') line[--len] = '\0';
        if (len > 0 && line[len - 1] == '\r') line[--len] = '\0';
        int row = 0;
        for (; row < kRows; ++row) {
            if (kOpen[row][0] != '\0' && std::strcmp(line, kOpen[row]) == 0) {
                state = row + 1;
                break;
            }
            if (std::strcmp(line, kClose[row]) == 0) {
                if (row + 1 == 22) {
                    ++i;
                } else {
                    state = 0;
                }
                break;
            }
            if (state == row + 1) {
                switch (state) {
                case 1: std::sscanf(line, "%255s", doc.version); break;
                case 2: std::sscanf(line, "%d", &doc.parts_count); break;
                case 5:
                    std::sscanf(line, "%d", &doc.total_vertex_count);
                    AllocateVertexArrays(doc, doc.total_vertex_count);
                    break;
                case 6:
                    std::sscanf(line, "%d", &doc.total_face_count);
                    AllocateFaceArray(doc, doc.total_face_count);
                    break;
                case 11: std::sscanf(line, "%63s", doc.parts_name[i]); break;
                case 23: {
                    int v = 0;
                    std::sscanf(line, "%d", &v);
                    doc.vertex_offset[i + 1] = doc.vertex_offset[i] + v;
                    break;
                }
                case 24:
                    if (n < doc.vertices.size()) {
                        Vec3& p = doc.vertices[n];
                        Vec3& q = doc.normals[n];
                        if (std::sscanf(line, "%f %f %f %f %f %f %f %f %f", &p.x, &p.y, &p.z, &q.x, &q.y,
                                        &q.z, &doc.texture_map_u[n], &doc.texture_map_v[n],
                                        &doc.blend[n]) == 9) {
                            doc.has_blend = true;
                        }
                    }
                    ++n;
                    break;
                case 25: {
                    int v = 0;
                    std::sscanf(line, "%d", &v);
                    doc.face_offset[i + 1] = doc.face_offset[i] + v;
                    break;
                }
                case 26:
                    if (fi < doc.faces.size()) {
                        int32_t* v = doc.faces[fi].v;
                        std::sscanf(line, "%d %d %d %d", &v[0], &v[1], &v[2], &v[3]);
                    }
                    ++fi;
                    break;
                default: break;
                }
                break;
            }
        }
    }
    std::fclose(f);
    return doc.parts_count > 0 && doc.total_vertex_count > 0 && doc.total_face_count > 0;
}

}  // namespace torvel::bench
