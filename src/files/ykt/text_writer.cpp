// Writes the YKT text form in its fixed order. Lines end in CR LF on every
// platform, and reals are formatted as C's "%f" formats the float widened to
// double, so both builds write identical bytes.

#include <cstring>
#include <string>

#include "files/ykt/fixed_format.h"
#include "files/io/line_names.h"
#include "files/io/model_output.h"
#include "files/ykt/text_blocks.h"
#include "files/ykt/ykt_files.h"

namespace torvel {

namespace {

struct TextOut {
    OutputFile& out;

    void Raw(const char* text, size_t n) { out.Write(text, n); }
    void Text(const char* zero_terminated) { Raw(zero_terminated, std::strlen(zero_terminated)); }
    void NewLine() { Raw("\r\n", 2); }
    void Tag(const char* tag) {
        NewLine();
        Text(tag);
    }
    void Int(int32_t v) {
        char* p = out.Reserve(kMaxFixedText);
        out.Advance(static_cast<size_t>(FormatInt(v, p) - p));
    }
    void Real(float v) {
        char* p = out.Reserve(kMaxFixedText);
        out.Advance(static_cast<size_t>(FormatFixed6(v, p) - p));
    }
    void Space() { out.Put(' '); }
    // A name as the reader takes it back: one word (see line_names.h).
    void Name(const char* name) {
        if (IsLineSafeName(name)) {
            Text(name);
        } else {
            const std::string safe = LineSafeName(name);
            Raw(safe.data(), safe.size());
        }
    }
    void Reals(const float* v, int count) {
        for (int k = 0; k < count; ++k) {
            if (k > 0) Space();
            Real(v[k]);
        }
    }
    void Vec(const Vec3& v) {
        Real(v.x);
        Space();
        Real(v.y);
        Space();
        Real(v.z);
    }
    // A block of one data line: tag, data, closing tag.
    template <typename Fn>
    void Block(const char* open, const char* close, Fn data) {
        Tag(open);
        NewLine();
        data();
        Tag(close);
    }
    void Argb(const float* rgba) {
        Real(rgba[3]);
        Space();
        Real(rgba[0]);
        Space();
        Real(rgba[1]);
        Space();
        Real(rgba[2]);
    }
};

void WritePartsBlock(TextOut& t, const Document& doc, int i) {
    const Material& m = doc.material[i];
    t.Tag("<polygon_mesh>");
    t.Block("<parts_name>", "</parts_name>", [&] { t.Name(doc.parts_name[i]); });
    t.Block("<corner_min>", "</corner_min>", [&] { t.Vec(doc.corner_min[i]); });
    t.Block("<corner_max>", "</corner_max>", [&] { t.Vec(doc.corner_max[i]); });
    t.Block("<center>", "</center>", [&] { t.Vec(doc.center[i]); });
    t.Block("<diffuse>", "</diffuse>", [&] { t.Argb(m.diffuse); });
    t.Block("<specular>", "</specular>", [&] { t.Argb(m.specular); });
    t.Block("<emission>", "</emission>", [&] { t.Argb(m.emission); });
    t.Block("<specular_power>", "</specular_power>", [&] { t.Real(m.specular_power); });
    t.Block("<texture_file>", "</texture_file>", [&] { t.Name(doc.texture_file[i]); });
    t.Block("<texture_map_flag>", "</texture_map_flag>", [&] { t.Int(doc.texture_map_flag[i]); });
    t.Block("<texture_map_param>", "</texture_map_param>", [&] {
        t.Int(doc.texture_map_param_int[i]);
        t.Space();
        t.Reals(doc.texture_map_param_p12[i], 2);
        t.Space();
        t.Reals(doc.texture_map_param_p34[i], 2);
    });
    t.Block("<vertex_count>", "</vertex_count>", [&] { t.Int(PartsVertexCount(doc, i)); });
    t.Tag("<vertices>");
    WriteVertexLines(doc, doc.vertex_offset[i], doc.vertex_offset[i + 1], t.out);
    t.Tag("</vertices>");
    t.Block("<face_count>", "</face_count>", [&] { t.Int(PartsFaceCount(doc, i)); });
    t.Tag("<faces>");
    WriteFaceLines(doc, doc.face_offset[i], doc.face_offset[i + 1], t.out);
    t.Tag("</faces>");
    t.Tag("</polygon_mesh>");
}

void WriteUnitSection(TextOut& t, const Document& doc) {
    const int P = doc.parts_count;
    const int U = doc.unit_count;
    const int M = doc.motion_count;
    t.Tag("<unit>");
    t.Tag("<basis>");
    for (int j = 0; j < U; ++j) {
        t.NewLine();
        t.Int(doc.unit_type[j]);
        t.Space();
        t.Vec(doc.unit_basis[j]);
        t.Space();
        if (doc.unit_type[j] == 1) {
            for (int k = 0; k < 3; ++k) {
                t.Int(doc.unit_basis_ext[j][k]);
                t.Space();
            }
        }
        t.Name(doc.unit_name[j]);
        if (doc.has_blend) {
            t.Space();
            t.Int(doc.unit_blend_1[j]);
            t.Space();
            t.Int(doc.unit_blend_2[j]);
        }
    }
    t.Tag("</basis>");
    t.Tag("<parent>");
    const int entries = P + U < kTableSize ? P + U : kTableSize;
    for (int e = 0; e < entries; ++e) {
        t.NewLine();
        t.Int(doc.parent[e]);
    }
    t.Tag("</parent>");
    for (int m = 0; m < M; ++m) {
        t.Tag("<angle>");
        for (int j = 0; j < U; ++j) {
            const int32_t* a = doc.unit_angle[m][j];
            t.NewLine();
            t.Int(a[0]);
            if (doc.unit_type[j] != 1) {
                t.Space();
                t.Int(a[1]);
                t.Space();
                t.Int(a[2]);
            }
        }
        t.Tag("</angle>");
    }
    if (doc.has_translation) {
        for (int m = 0; m < M; ++m) {
            t.Tag("<translation>");
            for (int j = 0; j < U; ++j) {
                t.NewLine();
                t.Reals(doc.unit_translation[m][j], 3);
            }
            t.Tag("</translation>");
        }
    }
    t.Tag("</unit>");
    if (doc.has_anim) {
        t.Block("<anim_count>", "</anim_count>", [&] { t.Int(doc.anim_count); });
        t.Tag("<anim_data>");
        for (int k = 0; k < doc.anim_count; ++k) {
            const Animation& a = doc.anim_data[k];
            t.NewLine();
            t.Int(a.value1);
            t.Space();
            t.Int(a.value2);
            t.Space();
            t.Int(a.value3);
            t.Space();
            t.Name(a.name);
        }
        t.Tag("</anim_data>");
    }
}

}  // namespace

bool WriteYktText(Document& doc, const FilePath& path, const Notifier& notifier, const OutputOps& ops) {
    SetWaitCursor(notifier, true);
    OutputFile out(path, ops);
    if (!StartModelOutput(doc, out, notifier)) return false;

    TextOut t{out};
    t.Text("<version>");
    t.NewLine();
    t.Name(doc.version);
    t.Tag("</version>");
    t.Block("<parts_count>", "</parts_count>", [&] { t.Int(doc.parts_count); });
    t.Block("<motion_count>", "</motion_count>", [&] { t.Int(doc.motion_count); });
    t.Block("<unit_count>", "</unit_count>", [&] { t.Int(doc.unit_count); });
    t.Block("<total_vertex_count>", "</total_vertex_count>", [&] { t.Int(doc.total_vertex_count); });
    t.Block("<total_face_count>", "</total_face_count>", [&] { t.Int(doc.total_face_count); });
    t.Block("<total_corner_min>", "</total_corner_min>", [&] { t.Vec(doc.total_corner_min); });
    t.Block("<total_corner_max>", "</total_corner_max>", [&] { t.Vec(doc.total_corner_max); });
    t.Block("<total_center>", "</total_center>", [&] { t.Vec(doc.total_center); });
    t.Block("<texture_all>", "</texture_all>", [&] { t.Int(doc.texture_all & 0xFF); });
    for (int i = 0; i < doc.parts_count && i < kTableSize; ++i) WritePartsBlock(t, doc, i);
    if (doc.unit_count > 0) WriteUnitSection(t, doc);

    const bool saved = out.Commit();
    SetWaitCursor(notifier, false);
    if (!saved) ShowMessage(notifier, OutputFailureMessage(out.error()));
    return saved;
}

}  // namespace torvel
