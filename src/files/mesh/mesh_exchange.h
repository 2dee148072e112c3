// What the mesh formats' readers and writers (OBJ, glTF, STL, PLY) share:
// the start and the finish of a model read from a mesh file, the checks
// before one is written, the normal of a facet, the walk over a model's
// faces as triangles, and the notes on what a mesh file cannot carry.
#pragma once

#include <cstdint>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "files/io/model_output.h"
#include "files/io/output_file.h"
#include "files/io/read_report.h"
#include "model/document.h"
#include "model/notifier.h"

namespace torvel {

// The largest vertex or face count a Document holds.
inline constexpr int64_t kMaxElementCount = 0x7FFFFFFF;

// The name of a parts whose file gives it none.
inline constexpr char kNoName[] = "no-name";

// The places report lines start with: a line of a text form, a byte offset
// of a binary one.
std::string LinePlace(int64_t line);
std::string BytePlace(uint64_t at);
// A word of the file as a report quotes it: at most 32 bytes, "ファイルの終わり"
// for the empty word at the end.
std::string Quoted(std::string_view word);

// Parts i gets text as its name: cut to 63 bytes, "no-name" when empty, and
// "-2", "-3", ... added while an earlier parts has the same name.
void SetUniqueName(Document& doc, int i, std::string_view text);

// Parts i's texture file name: text cut to 259 bytes, as the table holds it.
void SetTextureFile(Document& doc, int i, std::string_view text);

// Whether a texture file name names no file: empty, or "none" (any case),
// which YKT models hold for a parts without a texture.
bool IsPlaceholderTexture(std::string_view name);

// An empty Document with the values the YKT text reader starts from
// (texture mapping p1, p2 = 1); materials, units and motions stay zero.
void StartMeshModel(Document& doc);

// Fills in what a mesh file does not hold — the bounding box and centre of
// each parts and of the whole model, total counts from the offset tables —
// and checks the result with CheckModel. On failure the Document is left
// empty and the report says why.
bool FinishMeshModel(Document& doc, ReadReport* report);

// A mesh reader's frame: StartMeshModel, then read() (true when the file was
// read), a lack of memory reported, and FinishMeshModel; the Document is
// left empty whenever the read fails.
template <typename Read>
bool ReadMeshModel(Document& doc, ReadReport* report, Read read) {
    StartMeshModel(doc);
    bool good = false;
    try {
        good = read();
    } catch (const std::bad_alloc&) {
        ReportOutOfMemory(report);
    }
    if (!good) {
        ResetDocument(doc);
        return false;
    }
    return FinishMeshModel(doc, report);
}

// A mesh writer's frame: the wait cursor, the output file created, write(out)
// called to fill it, the file committed, and a failure told to the user. A
// write that returns false leaves the target as it was (nothing committed).
template <typename Write>
bool WriteMeshFile(Document& doc, const FilePath& path, const Notifier& notifier, const OutputOps& ops, Write write) {
    SetWaitCursor(notifier, true);
    OutputFile out(path, ops);
    if (!StartModelOutput(doc, out, notifier)) return false;
    bool filled = true;
    if constexpr (std::is_same_v<decltype(write(out)), bool>) {
        filled = write(out);
    } else {
        write(out);
    }
    const bool saved = filled && out.Commit();
    SetWaitCursor(notifier, false);
    if (!filled) ShowMessage(notifier, MessageId::CannotSaveFile);
    if (filled && !saved) ShowMessage(notifier, OutputFailureMessage(out.error()));
    return saved;
}

// The unit normal of the triangle a, b, c wound counter-clockwise as seen
// from the side it points to; 0 0 0 for a degenerate triangle.
Vec3 FacetNormal(const Vec3& a, const Vec3& b, const Vec3& c);

// The editor's vertex normal (the angle-weighted sum of its triangles'
// normals, see edit/normal_math.h) for each vertex of one parts whose
// replace flag is set: positions are the parts' vertices, faces its faces
// with numbers from its first vertex. A vertex without a usable triangle
// gets 0 0 0.
void WeightedNormals(std::span<const Vec3> positions, std::span<const Face> faces, const std::vector<bool>& replace,
                     std::span<Vec3> normals);

// The values a format's reader refuses when they are not finite, so that
// its writer must not write them: positions always, the rest as marked.
struct FiniteRule {
    bool normals;
    bool texture;    // u and v
    bool materials;  // the colours and the specular power
};

// What every mesh writer checks before it creates its file: the model is
// sound and every value of the rule finite. False, with the message shown
// and the reason (the first such value) among the notes, when it is not.
bool CanWriteMesh(const Document& doc, const FiniteRule& rule, const Notifier& notifier,
                  std::vector<std::string>& notes);

// Triangles of a sound model: a triangle as it is, a quad a b c d as
// (a, b, c) and (a, c, d).
int64_t TriangleCount(const Document& doc);

// Calls fn(a, b, c) with model-wide vertex numbers for every triangle of
// parts i, in face order. The model must be sound.
template <typename Fn>
void ForEachTriangleOf(const Document& doc, int i, Fn&& fn) {
    const int32_t base = doc.vertex_offset[i];
    for (int32_t f = doc.face_offset[i]; f < doc.face_offset[i + 1]; ++f) {
        const int32_t* v = doc.faces[static_cast<size_t>(f)].v;
        fn(base + v[0], base + v[1], base + v[2]);
        if (v[3] != -1) fn(base + v[0], base + v[2], base + v[3]);
    }
}

// The same for every parts in turn.
template <typename Fn>
void ForEachTriangle(const Document& doc, Fn&& fn) {
    for (int i = 0; i < doc.parts_count; ++i) ForEachTriangleOf(doc, i, fn);
}

// One note line for each kind of data the model holds that a mesh file
// loses: texture coordinates and weights (unless the format keeps them),
// units, motions and animations, and the parts names when the parts are
// merged into one.
struct MeshFileKeeps {
    const char* format;  // "STL", "PLY", "OBJ", "glTF"
    bool texture;
    bool weights;
    bool parts;
};
void NoteDroppedData(const Document& doc, const MeshFileKeeps& keeps, std::vector<std::string>& notes);

}  // namespace torvel
