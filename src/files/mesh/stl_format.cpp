#include "files/mesh/stl_format.h"

#include <bit>
#include <cstring>
#include <new>
#include <string_view>

#include "files/io/line_names.h"
#include "files/io/text_line.h"
#include "files/mesh/mesh_exchange.h"
#include "files/io/model_output.h"
#include "files/mesh/ascii_tokens.h"
#include "files/ykt/ykt_files.h"

namespace torvel {

static_assert(std::endian::native == std::endian::little, "STL's binary numbers are read in place");

namespace {

constexpr uint64_t kHeaderBytes = 84;  // 80 bytes of free text, then the uint32 count
constexpr uint64_t kFacetBytes = 50;
// Three vertices per facet must fit the Document's vertex count.
constexpr int64_t kMaxFacets = kMaxElementCount / 3;

uint32_t LoadU32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

Vec3 LoadVec(const uint8_t* p) {
    Vec3 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Facet number facet of the model, the local-th of its parts: three vertices
// of its own with the facet's normal, or the computed one when the file's is
// zero or not finite.
void PutFacet(Document& doc, int64_t facet, int32_t local, Vec3 normal, const Vec3 (&corners)[3]) {
    if (!IsFiniteVec(normal) || (normal.x == 0.0f && normal.y == 0.0f && normal.z == 0.0f)) {
        normal = FacetNormal(corners[0], corners[1], corners[2]);
    }
    const size_t v = 3 * static_cast<size_t>(facet);
    for (int k = 0; k < 3; ++k) {
        doc.vertices[v + k] = corners[k];
        doc.normals[v + k] = normal;
    }
    const int32_t first = 3 * local;
    doc.faces[static_cast<size_t>(facet)] = {{first, first + 1, first + 2, -1}};
}

// The ASCII form, read twice: the first pass (fill false) checks everything,
// reports the first problem and sets the parts count, names and offsets; the
// second fills the arrays sized from them.
class AsciiStl {
public:
    AsciiStl(std::span<const uint8_t> bytes, Document& doc, bool fill, ReadReport* report)
        : t_{reinterpret_cast<const char*>(bytes.data()), reinterpret_cast<const char*>(bytes.data()) + bytes.size()},
          doc_(doc),
          fill_(fill),
          report_(report) {}

    bool Read() {
        int parts = 0;
        int64_t facets = 0;
        for (std::string_view word = t_.Next(); !word.empty(); word = t_.Next()) {
            if (!SameWord(word, "solid")) return Fail("\"solid\" があるべきところに " + Quoted(word) + " があります");
            if (parts == kMaxCount) return Fail("solid が 255 個を超えています (パーツは 255 個まで)");
            const std::string_view name = t_.RestOfLine();
            if (!fill_) SetUniqueName(doc_, parts, name);
            const int64_t first = facets;
            for (word = t_.Next(); !SameWord(word, "endsolid"); word = t_.Next()) {
                if (word.empty()) return Fail("\"endsolid\" がないままファイルが終わっています");
                if (!SameWord(word, "facet")) {
                    return Fail("\"facet\" か \"endsolid\" があるべきところに " + Quoted(word) + " があります");
                }
                if (facets == kMaxFacets) return Fail("三角形が多すぎます (頂点は 2147483647 個まで)");
                Vec3 normal;
                Vec3 corners[3];
                if (!Expect("normal") || !Numbers(normal) || !Expect("outer") || !Expect("loop")) return false;
                for (Vec3& corner : corners) {
                    if (!Expect("vertex") || !Numbers(corner)) return false;
                    if (!IsFiniteVec(corner)) return Fail("頂点の位置が有限の数ではありません");
                }
                if (!Expect("endloop") || !Expect("endfacet")) return false;
                if (fill_) PutFacet(doc_, facets, static_cast<int32_t>(facets - first), normal, corners);
                ++facets;
            }
            t_.RestOfLine();  // the name after endsolid is not checked
            ++parts;
            if (!fill_) {
                doc_.vertex_offset[parts] = static_cast<int32_t>(3 * facets);
                doc_.face_offset[parts] = static_cast<int32_t>(facets);
            }
        }
        if (parts == 0) return Fail("\"solid\" がありません");
        if (!fill_) doc_.parts_count = parts;
        return true;
    }

private:
    bool Fail(const std::string& why) {
        if (!fill_) Report(report_, LinePlace(t_.line) + why);
        return false;
    }
    bool Expect(const char* keyword) {
        const std::string_view word = t_.Next();
        if (SameWord(word, keyword)) return true;
        std::string why = "\"";
        why += keyword;
        why += "\" があるべきところに ";
        why += Quoted(word);
        why += " があります";
        return Fail(why);
    }
    bool Numbers(Vec3& v) {
        for (float* f : {&v.x, &v.y, &v.z}) {
            const std::string_view word = t_.Next();
            if (!WordToFloat(word, *f)) return Fail("数があるべきところに " + Quoted(word) + " があります");
        }
        return true;
    }

    TextTokens t_;
    Document& doc_;
    bool fill_;
    ReadReport* report_;
};

bool StartsWithSolid(std::span<const uint8_t> bytes) {
    size_t i = 0;
    while (i < bytes.size() && IsBlank(static_cast<char>(bytes[i]))) ++i;
    const std::string_view rest(reinterpret_cast<const char*>(bytes.data()) + i, bytes.size() - i);
    return rest.size() >= 5 && SameWord(rest.substr(0, 5), "solid") &&
           (rest.size() == 5 || IsBlank(rest[5]));
}

bool HasBinarySize(std::span<const uint8_t> bytes) {
    return bytes.size() >= kHeaderBytes &&
           bytes.size() == kHeaderBytes + kFacetBytes * uint64_t{LoadU32(bytes.data() + 80)};
}

std::string BinarySizeProblem(std::span<const uint8_t> bytes) {
    if (bytes.size() < kHeaderBytes) {
        return BytePlace(0) + "\"solid\" で始まらず、バイナリ STL の 84 バイトの頭部にも足りません (" +
               std::to_string(bytes.size()) + " バイト)";
    }
    const uint64_t n = LoadU32(bytes.data() + 80);
    return BytePlace(80) + "三角形数 " + std::to_string(n) + " にはファイルが 84 + 50 × " + std::to_string(n) +
           " = " + std::to_string(kHeaderBytes + kFacetBytes * n) + " バイトでなければなりませんが、" +
           std::to_string(bytes.size()) + " バイトです";
}

bool ReadBinary(Document& doc, std::span<const uint8_t> bytes, ReadReport* report) {
    const int64_t n = LoadU32(bytes.data() + 80);
    if (n > kMaxFacets) {
        Report(report, BytePlace(80) + "三角形数 " + std::to_string(n) + " が多すぎます (頂点は 2147483647 個まで)");
        return false;
    }
    AllocateVertexArrays(doc, static_cast<int32_t>(3 * n));
    AllocateFaceArray(doc, static_cast<int32_t>(n));
    for (int64_t f = 0; f < n; ++f) {
        const uint64_t at = kHeaderBytes + kFacetBytes * static_cast<uint64_t>(f);
        const uint8_t* p = bytes.data() + at;
        Vec3 corners[3];
        for (int k = 0; k < 3; ++k) {
            corners[k] = LoadVec(p + 12 + 12 * k);
            if (!IsFiniteVec(corners[k])) {
                Report(report, BytePlace(at + 12 + 12 * k) + "三角形 " + std::to_string(f) +
                                   " の頂点の位置が有限の数ではありません");
                return false;
            }
        }
        PutFacet(doc, f, static_cast<int32_t>(f), LoadVec(p), corners);
    }
    doc.parts_count = 1;
    std::memcpy(doc.parts_name[0], kNoName, sizeof kNoName);
    doc.vertex_offset[1] = static_cast<int32_t>(3 * n);
    doc.face_offset[1] = static_cast<int32_t>(n);
    return true;
}

bool ReadAscii(Document& doc, std::span<const uint8_t> bytes, ReadReport* report) {
    if (!AsciiStl(bytes, doc, false, report).Read()) {
        // A binary file of the wrong size whose header happens to start
        // with "solid": say what it would have needed as well.
        if (bytes.size() >= kHeaderBytes && std::memchr(bytes.data(), 0, bytes.size()) != nullptr) {
            Report(report, "バイナリ STL としても読めません: " + BinarySizeProblem(bytes));
        }
        return false;
    }
    AllocateVertexArrays(doc, doc.vertex_offset[doc.parts_count]);
    AllocateFaceArray(doc, doc.face_offset[doc.parts_count]);
    return AsciiStl(bytes, doc, true, report).Read();
}

// The facet of the triangle a, b, c in the ASCII form.
void WriteAsciiFacet(OutputFile& out, const Vec3& a, const Vec3& b, const Vec3& c) {
    TextLine line(out);
    const auto vec = [&](const Vec3& v) { line.Float(v.x).Float(v.y).Float(v.z).Text("\n"); };
    line.Text("  facet normal");
    vec(FacetNormal(a, b, c));
    line.Text("    outer loop\n");
    for (const Vec3* v : {&a, &b, &c}) {
        line.Text("      vertex");
        vec(*v);
    }
    line.Text("    endloop\n  endfacet");
    line.End();
}

void WriteAscii(const Document& doc, OutputFile& out) {
    for (int i = 0; i < doc.parts_count; ++i) {
        const std::string name = LineSafeName(doc.parts_name[i][0] != '\0' ? doc.parts_name[i] : kNoName);
        out.Write("solid ", 6);
        out.Write(name.data(), name.size());
        out.Put('\n');
        ForEachTriangleOf(doc, i, [&](int32_t a, int32_t b, int32_t c) {
            WriteAsciiFacet(out, doc.vertices[static_cast<size_t>(a)], doc.vertices[static_cast<size_t>(b)],
                            doc.vertices[static_cast<size_t>(c)]);
        });
        out.Write("endsolid ", 9);
        out.Write(name.data(), name.size());
        out.Put('\n');
    }
}

void WriteBinary(const Document& doc, OutputFile& out, uint32_t count) {
    // Free text that does not start with "solid", zero-padded.
    char header[80] = "TORVEL binary STL";
    out.Write(header, sizeof header);
    out.Write(&count, 4);
    ForEachTriangle(doc, [&](int32_t a, int32_t b, int32_t c) {
        const Vec3& pa = doc.vertices[static_cast<size_t>(a)];
        const Vec3& pb = doc.vertices[static_cast<size_t>(b)];
        const Vec3& pc = doc.vertices[static_cast<size_t>(c)];
        uint8_t facet[kFacetBytes] = {};
        const Vec3 normal = FacetNormal(pa, pb, pc);
        std::memcpy(facet, &normal, 12);
        std::memcpy(facet + 12, &pa, 12);
        std::memcpy(facet + 24, &pb, 12);
        std::memcpy(facet + 36, &pc, 12);
        out.Write(facet, sizeof facet);
    });
}

}  // namespace

bool ReadStl(Document& doc, std::span<const uint8_t> bytes, ReadReport* report) {
    return ReadMeshModel(doc, report, [&] {
        if (bytes.empty()) {
            Report(report, "ファイルが空です");
            return false;
        }
        if (HasBinarySize(bytes)) return ReadBinary(doc, bytes, report);
        if (StartsWithSolid(bytes)) return ReadAscii(doc, bytes, report);
        Report(report, BinarySizeProblem(bytes));
        return false;
    });
}

bool WriteStl(Document& doc, const FilePath& path, bool ascii, const Notifier& notifier,
              std::vector<std::string>& notes, const OutputOps& ops) {
    if (!CanWriteMesh(doc, {}, notifier, notes)) return false;
    const int64_t triangles = TriangleCount(doc);
    if (triangles > int64_t{UINT32_MAX}) {
        ShowMessage(notifier, MessageId::CannotSaveFile);
        return false;
    }
    const bool saved = WriteMeshFile(doc, path, notifier, ops, [&](OutputFile& out) {
        if (ascii) {
            WriteAscii(doc, out);
        } else {
            WriteBinary(doc, out, static_cast<uint32_t>(triangles));
        }
    });
    if (saved && ascii) NoteUnsafeNames(doc, kPartsNames, "STL", notes);
    if (saved) NoteDroppedData(doc, {"STL", false, false, ascii}, notes);
    return saved;
}

}  // namespace torvel
