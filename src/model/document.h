// The one in-memory model. Fixed tables of 256 slots hold everything whose
// count the file format bounds; per-vertex and per-face data lives in heap
// arrays sized by the vertex and face counts. The field names follow the tag
// names of the YKT files.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/heap_array.h"
#include "platform/file_path.h"

namespace torvel {

// Every table has 256 slots. A file may hold at most 255 parts, units,
// motions and animations; the 256th slot exists because a parts split may
// push parts + units to 256, the size of the combined parent table.
inline constexpr int kTableSize = 256;
inline constexpr int kMaxCount = 255;

inline constexpr int kVersionSize = 256;
inline constexpr int kNameSize = 64;           // parts and unit names
inline constexpr int kTextureFileSize = 260;
inline constexpr int kAnimNameSize = 67;

struct Vec3 {
    float x, y, z;
};

// x - x is NaN for an infinity and for NaN, 0 otherwise.
inline bool IsFinite(float f) {
    return f - f == 0.0f;
}
inline bool IsFiniteVec(const Vec3& v) {
    return IsFinite(v.x) && IsFinite(v.y) && IsFinite(v.z);
}

// Four vertex indices local to the face's parts; a fourth index of -1 marks
// a triangle.
struct Face {
    int32_t v[4];
};

// Colours are r, g, b, a in memory (the text form writes them a, r, g, b).
struct Material {
    float diffuse[4];
    float ambient[4];
    float specular[4];
    float emission[4];
    float specular_power;
};
static_assert(sizeof(Material) == 68);

struct Animation {
    int32_t value1;
    int32_t value2;
    uint8_t value3;
    char name[kAnimNameSize];
};

// A rectangle in the view's content pixels: the ModelImage magnified by the
// zoom and centred, before the scroll positions are taken off.
struct ContentRect {
    int32_t left, top, right, bottom;
};

// A rectangle in ModelImage pixels.
struct ImageRect {
    int32_t left, top, right, bottom;
};

enum class ViewDirection : int32_t { Front = 0, Back = 1, Left = 2, Right = 3, Top = 4, Bottom = 5 };

// The last drawing of the model, 32-bit ARGB pixels, row by row. An image with
// no pixels means that no model is shown.
struct ModelImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;
};

// The one saved copy of the editable geometry (filled by the undo operations).
// Names, materials, textures, units, motions and the view are not in it.
// The seven per-vertex arrays, named once: element type and field name, in
// the order of the file's blocks. The Document and its UndoSnapshot declare
// them from this list, and ForEachVertexArray walks it, so an array cannot
// be added in one place and forgotten in another.
#define TORVEL_VERTEX_ARRAYS(X) \
    X(Vec3, vertices)           \
    X(Vec3, normals)            \
    X(float, blend)             \
    X(float, texture_map_u)     \
    X(float, texture_map_v)     \
    X(uint8_t, vertex_selection) \
    X(uint8_t, vertex_visible)
#define TORVEL_DECLARE_VERTEX_ARRAY(type, name) HeapArray<type> name;

struct UndoSnapshot {
    bool present = false;
    // The Document's modified flag when the snapshot was taken: an undo
    // brings that state back, saved or not.
    bool modified = false;
    int32_t parts_count = 0;
    int32_t total_vertex_count = 0;
    int32_t total_face_count = 0;
    Vec3 total_corner_min{}, total_corner_max{}, total_center{};
    int32_t vertex_offset[kTableSize + 1]{};
    int32_t face_offset[kTableSize + 1]{};
    Vec3 corner_min[kTableSize]{};
    Vec3 corner_max[kTableSize]{};
    Vec3 center[kTableSize]{};
    int32_t parent[kTableSize]{};
    TORVEL_VERTEX_ARRAYS(TORVEL_DECLARE_VERTEX_ARRAY)
    HeapArray<Face> faces;
};

struct Document {
    // Header. The path of the last load or save, as the platform names it.
    FilePath file_name;
    char version[kVersionSize];
    int32_t total_vertex_count;  // N
    int32_t total_face_count;    // F
    int32_t parts_count;         // P
    Vec3 total_corner_min;
    Vec3 total_corner_max;
    Vec3 total_center;

    // Parts geometry. Parts i owns the vertices [vertex_offset[i],
    // vertex_offset[i+1]) and the faces [face_offset[i], face_offset[i+1]).
    Vec3 corner_min[kTableSize];
    Vec3 corner_max[kTableSize];
    Vec3 center[kTableSize];
    int32_t vertex_offset[kTableSize + 1];
    int32_t face_offset[kTableSize + 1];
    char parts_name[kTableSize][kNameSize];

    // Parts surface. The mapping values are one integer and four reals
    // (p1..p4), kept as the pair p1, p2, the pair p3, p4 and the integer.
    int32_t texture_map_flag[kTableSize];
    float texture_map_param_p12[kTableSize][2];
    float texture_map_param_p34[kTableSize][2];
    int32_t texture_map_param_int[kTableSize];
    Material material[kTableSize];
    char texture_file[kTableSize][kTextureFileSize];

    // Model values.
    int32_t texture_all;
    int32_t motion_count;  // M
    int32_t unit_count;    // U
    int32_t anim_count;    // A
    Animation anim_data[kTableSize];

    // Units.
    int32_t unit_type[kTableSize];
    Vec3 unit_basis[kTableSize];
    int32_t unit_basis_ext[kTableSize][3];
    char unit_name[kTableSize][kNameSize];
    int32_t unit_blend_1[kTableSize];
    int32_t unit_blend_2[kTableSize];

    // Combined numbering: entries 0..P-1 are the parts, P..P+U-1 the units;
    // a value names the unit an entry hangs from in the same numbering.
    int32_t parent[kTableSize];

    // Motions: [motion][unit][x, y, z].
    int32_t unit_angle[kTableSize][kTableSize][3];
    float unit_translation[kTableSize][kTableSize][3];

    // View and edit state, cleared with the rest of the record.
    uint8_t deselect_mode;
    uint8_t one_sided;
    uint8_t selection_empty;
    int32_t zoom_percent;
    float fit_scale;  // image pixels per model unit
    ViewDirection direction;
    int32_t origin_x;
    int32_t origin_y;
    ImageRect pick;    // the pick rectangle the selection uses
    ContentRect band;  // the rubber band the view draws
    // The model differs from the file it was last loaded from or saved to:
    // an edit of the geometry sets it, a load or a save clears it.
    bool modified;

    // Heap arrays: the seven vertex arrays hold N entries, faces F entries;
    // all are empty while no model is loaded.
    TORVEL_VERTEX_ARRAYS(TORVEL_DECLARE_VERTEX_ARRAY)
    HeapArray<Face> faces;

    // Beside the record: presence flags and the PartsList choice
    // (0 = the whole model, k >= 1 = parts k - 1).
    bool has_blend;
    bool binary_form;
    bool has_translation;
    bool has_anim;
    int32_t parts_selection;

    ModelImage image;
    UndoSnapshot undo;
};

// The Document is about 1.6 MB of fixed tables: create it once, on the heap.
std::unique_ptr<Document> NewDocument();

// Empties the Document: releases the heap arrays, the undo snapshot and the
// image, clears every table and the view and edit state.
void ResetDocument(Document& doc);

// Releases the undo snapshot's arrays; the snapshot is absent afterwards.
void ReleaseSnapshot(UndoSnapshot& snapshot);

// (Re)creates the seven vertex arrays with n zero-filled entries.
void AllocateVertexArrays(Document& doc, int32_t n);

// The box of the vertices [begin, end) and its centre (the middle of each
// axis, in single precision); the empty box at the origin when the range is
// empty or lies outside the array.
void BoundsOf(const Document& doc, int32_t begin, int32_t end, Vec3& lo, Vec3& hi, Vec3& center);
// (Re)creates the face array with f zero-filled entries.
void AllocateFaceArray(Document& doc, int32_t f);

// Whether a model is shown: the drawing of a loaded model creates the image
// and ResetDocument releases it, so the image's existence is the sign.
inline bool ModelShown(const Document& doc) {
    return !doc.image.pixels.empty();
}

// Vertex and face counts of parts i, from the offset tables.
inline int32_t PartsVertexCount(const Document& doc, int i) {
    return doc.vertex_offset[i + 1] - doc.vertex_offset[i];
}
inline int32_t PartsFaceCount(const Document& doc, int i) {
    return doc.face_offset[i + 1] - doc.face_offset[i];
}

}  // namespace torvel
