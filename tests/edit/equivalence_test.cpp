// The fast parts split, face split, parts bounds and normals against their
// slow references on thousands of random models: both must leave the same
// Document, byte for byte, return the same results and show the same
// messages.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "edit/edit_ops.h"
#include "edit/random_mesh.h"
#include "edit/reference_edit.h"
#include "test_support.h"

namespace torvel {
namespace {

constexpr uint32_t kSeedCount = 3000;
constexpr int kMaxReportedMismatches = 10;

// --- Describing values in a mismatch report ---

std::string Show(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    char text[48];
    std::snprintf(text, sizeof text, "%.9g (0x%08" PRIx32 ")", static_cast<double>(f), bits);
    return text;
}
std::string Show(int32_t v) {
    return std::to_string(v);
}
std::string Show(uint8_t v) {
    return std::to_string(v);
}
std::string Show(bool v) {
    return v ? "true" : "false";
}
std::string Show(const Vec3& p) {
    std::string out = "(";
    return out.append(Show(p.x)).append(", ").append(Show(p.y)).append(", ").append(Show(p.z)).append(")");
}
std::string Show(const Face& f) {
    char text[64];
    std::snprintf(text, sizeof text, "(%d, %d, %d, %d)", f.v[0], f.v[1], f.v[2], f.v[3]);
    return text;
}
template <size_t N>
std::string Show(const char (&s)[N]) {
    std::string out(1, '"');
    out.append(s, strnlen(s, N)).push_back('"');
    return out;
}
// Anything else as its bytes.
template <typename T>
std::string Show(const T& value) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&value);
    std::string out;
    char hex[4];
    for (size_t i = 0; i < sizeof value; ++i) {
        std::snprintf(hex, sizeof hex, "%02x", bytes[i]);
        out += hex;
    }
    return out;
}

// The first field in which two Documents differ, with its index and both
// values; empty when they are the same. Values are compared as bytes, so a
// -0 for a +0 or another NaN counts as a difference.
class DocumentDiff {
public:
    DocumentDiff(const Document& fast, const Document& reference) : a_(fast), b_(reference) {}

    std::string First() {
        const Document& a = a_;
        const Document& b = b_;
        Path("file_name", a.file_name, b.file_name);
        Value("version", a.version, b.version);
        Value("parts_count", a.parts_count, b.parts_count);
        Value("unit_count", a.unit_count, b.unit_count);
        Value("total_vertex_count", a.total_vertex_count, b.total_vertex_count);
        Value("total_face_count", a.total_face_count, b.total_face_count);
        Value("total_corner_min", a.total_corner_min, b.total_corner_min);
        Value("total_corner_max", a.total_corner_max, b.total_corner_max);
        Value("total_center", a.total_center, b.total_center);
        Table("vertex_offset", a.vertex_offset, b.vertex_offset, kTableSize + 1);
        Table("face_offset", a.face_offset, b.face_offset, kTableSize + 1);
        Array("vertices", a.vertices, b.vertices);
        Array("faces", a.faces, b.faces);
        Array("vertex_selection", a.vertex_selection, b.vertex_selection);
        Array("normals", a.normals, b.normals);
        Array("blend", a.blend, b.blend);
        Array("texture_map_u", a.texture_map_u, b.texture_map_u);
        Array("texture_map_v", a.texture_map_v, b.texture_map_v);
        Array("vertex_visible", a.vertex_visible, b.vertex_visible);
        Table("corner_min", a.corner_min, b.corner_min, kTableSize);
        Table("corner_max", a.corner_max, b.corner_max, kTableSize);
        Table("center", a.center, b.center, kTableSize);
        Table("parts_name", a.parts_name, b.parts_name, kTableSize);
        Table("texture_map_flag", a.texture_map_flag, b.texture_map_flag, kTableSize);
        Table("texture_map_param_p12", a.texture_map_param_p12, b.texture_map_param_p12, kTableSize);
        Table("texture_map_param_p34", a.texture_map_param_p34, b.texture_map_param_p34, kTableSize);
        Table("texture_map_param_int", a.texture_map_param_int, b.texture_map_param_int, kTableSize);
        Table("material", a.material, b.material, kTableSize);
        Table("texture_file", a.texture_file, b.texture_file, kTableSize);
        Table("parent", a.parent, b.parent, kTableSize);
        Value("texture_all", a.texture_all, b.texture_all);
        Value("motion_count", a.motion_count, b.motion_count);
        Value("anim_count", a.anim_count, b.anim_count);
        Table("anim_data", a.anim_data, b.anim_data, kTableSize);
        Table("unit_type", a.unit_type, b.unit_type, kTableSize);
        Table("unit_basis", a.unit_basis, b.unit_basis, kTableSize);
        Table("unit_basis_ext", a.unit_basis_ext, b.unit_basis_ext, kTableSize);
        Table("unit_name", a.unit_name, b.unit_name, kTableSize);
        Table("unit_blend_1", a.unit_blend_1, b.unit_blend_1, kTableSize);
        Table("unit_blend_2", a.unit_blend_2, b.unit_blend_2, kTableSize);
        constexpr size_t kMotionValues = size_t{kTableSize} * kTableSize * 3;
        Table("unit_angle (motion * 768 + unit * 3 + axis)", &a.unit_angle[0][0][0], &b.unit_angle[0][0][0],
              kMotionValues);
        Table("unit_translation (motion * 768 + unit * 3 + axis)", &a.unit_translation[0][0][0],
              &b.unit_translation[0][0][0], kMotionValues);
        Value("deselect_mode", a.deselect_mode, b.deselect_mode);
        Value("one_sided", a.one_sided, b.one_sided);
        Value("selection_empty", a.selection_empty, b.selection_empty);
        Value("zoom_percent", a.zoom_percent, b.zoom_percent);
        Value("fit_scale", a.fit_scale, b.fit_scale);
        Value("direction", a.direction, b.direction);
        Value("origin_x", a.origin_x, b.origin_x);
        Value("origin_y", a.origin_y, b.origin_y);
        Value("pick", a.pick, b.pick);
        Value("band", a.band, b.band);
        Value("has_blend", a.has_blend, b.has_blend);
        Value("binary_form", a.binary_form, b.binary_form);
        Value("has_translation", a.has_translation, b.has_translation);
        Value("has_anim", a.has_anim, b.has_anim);
        Value("parts_selection", a.parts_selection, b.parts_selection);
        Value("image.width", a.image.width, b.image.width);
        Value("image.height", a.image.height, b.image.height);
        Value("image.pixels size", a.image.pixels.size(), b.image.pixels.size());
        Value("undo.present", a.undo.present, b.undo.present);
        Value("undo.vertices size", a.undo.vertices.size(), b.undo.vertices.size());
        Value("undo.faces size", a.undo.faces.size(), b.undo.faces.size());
        return first_;
    }

private:
    template <typename T>
    void Table(const char* name, const T* a, const T* b, size_t count) {
        if (!first_.empty() || count == 0 || std::memcmp(a, b, count * sizeof(T)) == 0) return;
        for (size_t i = 0; i < count; ++i) {
            if (std::memcmp(&a[i], &b[i], sizeof(T)) != 0) {
                first_ = std::string(name) + "[" + std::to_string(i) + "]: fast " + Show(a[i]) + ", reference " +
                         Show(b[i]);
                return;
            }
        }
    }
    void Path(const char* name, const FilePath& a, const FilePath& b) {
        if (!first_.empty() || a.native.native() == b.native.native()) return;
        first_ = std::string(name) + ": fast " + Utf8Text(a) + ", reference " + Utf8Text(b);
    }
    template <typename T>
    void Value(const char* name, const T& a, const T& b) {
        if (!first_.empty() || std::memcmp(&a, &b, sizeof(T)) == 0) return;
        first_ = std::string(name) + ": fast " + Show(a) + ", reference " + Show(b);
    }
    template <typename T>
    void Array(const char* name, const HeapArray<T>& a, const HeapArray<T>& b) {
        if (!first_.empty()) return;
        if (a.size() != b.size()) {
            first_ = std::string(name) + " size: fast " + std::to_string(a.size()) + ", reference " +
                     std::to_string(b.size());
            return;
        }
        Table(name, a.data(), b.data(), a.size());
    }

    const Document& a_;
    const Document& b_;
    std::string first_;
};

// --- Running one operation on both sides ---

using Operation = std::function<bool(Document&, const Notifier&)>;

struct Step {
    std::string name;
    Operation fast;
    Operation reference;
};

// One side of the comparison: its Document and everything the operation
// told the user.
struct Side {
    std::unique_ptr<Document> doc = NewDocument();
    test::Recorder recorder;
    std::vector<std::string> parts_lines;

    Notifier notifier() {
        Notifier n = recorder.notifier();
        n.append_parts_line = [this](const std::string& name) { parts_lines.push_back(name); };
        return n;
    }
    void Start(uint32_t seed) {
        test::FillRandomDocument(*doc, seed);
        recorder.messages.clear();
        parts_lines.clear();
    }
};

std::string ShowIds(const std::vector<MessageId>& ids) {
    std::string out = "[";
    for (MessageId id : ids) out.append(" ").append(std::to_string(static_cast<int>(id)));
    return out.append(" ]");
}

// How the reference runs went, so a test can check that the random models
// reach the cases it is meant to cover.
struct Tally {
    int succeeded = 0;
    std::vector<int> messages = std::vector<int>(16, 0);

    int count(MessageId id) const { return messages[static_cast<size_t>(id)]; }
};

// Runs the steps of every seed on a fast and a reference side and reports
// the first difference of each mismatching seed.
Tally ExpectSameOutcome(const std::function<std::vector<Step>(uint32_t seed)>& steps_of) {
    Side fast;
    Side reference;
    Tally tally;
    int mismatches = 0;
    for (uint32_t seed = 1; seed <= kSeedCount && mismatches < kMaxReportedMismatches; ++seed) {
        fast.Start(seed);
        reference.Start(seed);
        const Notifier fast_notifier = fast.notifier();
        const Notifier reference_notifier = reference.notifier();
        for (const Step& step : steps_of(seed)) {
            const size_t messages_before = reference.recorder.messages.size();
            const bool fast_result = step.fast(*fast.doc, fast_notifier);
            const bool reference_result = step.reference(*reference.doc, reference_notifier);
            std::string diff;
            if (fast_result != reference_result) {
                diff = std::string("result: fast ") + Show(fast_result) + ", reference " + Show(reference_result);
            } else if (fast.recorder.ids() != reference.recorder.ids()) {
                diff = "messages: fast " + ShowIds(fast.recorder.ids()) + ", reference " +
                       ShowIds(reference.recorder.ids());
            } else if (fast.parts_lines != reference.parts_lines) {
                diff = "PartsList lines: fast " + std::to_string(fast.parts_lines.size()) + ", reference " +
                       std::to_string(reference.parts_lines.size());
            } else {
                diff = DocumentDiff(*fast.doc, *reference.doc).First();
            }
            if (!diff.empty()) {
                ADD_FAILURE() << "seed " << seed << ", " << step.name << ": " << diff;
                ++mismatches;
                break;
            }
            tally.succeeded += reference_result ? 1 : 0;
            for (size_t m = messages_before; m < reference.recorder.messages.size(); ++m) {
                ++tally.messages[static_cast<size_t>(reference.recorder.messages[m].id)];
            }
        }
    }
    return tally;
}

bool SplitPartsFast(Document& doc, const Notifier& n) {
    return SplitParts(doc, n);
}
bool SplitPartsReference(Document& doc, const Notifier& n) {
    return reference::ReferenceSplitParts(doc, n);
}
bool NormalsFast(Document& doc, const Notifier&) {
    RecomputeNormals(doc);
    return false;
}
bool NormalsReference(Document& doc, const Notifier&) {
    reference::ReferenceRecomputeNormals(doc);
    return false;
}

const Step kSplitParts{"SplitParts", SplitPartsFast, SplitPartsReference};

// Every fourth seed runs the normals as the editor does; the others with
// 1 to 3 threads summing blocks of 1 to 7 vertices, so that faces straddle
// blocks and blocks are shared out.
Step NormalsStep(uint32_t seed) {
    if (seed % 4 == 0) return {"RecomputeNormals", NormalsFast, NormalsReference};
    const size_t threads = 1 + seed % 3;
    const size_t block = 1 + (seed / 4) % 7;
    return {"RecomputeNormalsInThreads(" + std::to_string(threads) + ", " + std::to_string(block) + ")",
            [threads, block](Document& doc, const Notifier&) {
                RecomputeNormalsInThreads(doc, threads, block);
                return false;
            },
            NormalsReference};
}

// Seeds walk through all 30 pairs of patterns; every 101st seed passes
// numbers outside the ranges.
Step SplitFacesStep(uint32_t seed) {
    int quad = static_cast<int>(seed % 3);
    int triangle = kFirstTrianglePattern + static_cast<int>((seed / 3) % 10);
    if (seed % 101 == 0) {
        quad = seed % 2 == 0 ? -1 : 3;
        triangle = seed % 2 == 0 ? 2 : 13;
    }
    return {"SplitFaces(" + std::to_string(quad) + ", " + std::to_string(triangle) + ")",
            [quad, triangle](Document& doc, const Notifier& n) { return SplitFaces(doc, quad, triangle, n); },
            [quad, triangle](Document& doc, const Notifier& n) {
                return reference::ReferenceSplitFaces(doc, quad, triangle, n);
            }};
}

TEST(EditEquivalence, SplitPartsMatchesReference) {
    const Tally tally = ExpectSameOutcome([](uint32_t) { return std::vector<Step>{kSplitParts}; });
    EXPECT_GT(tally.succeeded, 1000);
    EXPECT_GT(tally.count(MessageId::NothingSelected), 100);
    EXPECT_GT(tally.count(MessageId::PartsLimitWarning), 20);
    EXPECT_GT(tally.count(MessageId::PartsLimitReached), 20);
}

TEST(EditEquivalence, SplitPartsTwiceMatchesReference) {
    const Tally tally = ExpectSameOutcome([](uint32_t) { return std::vector<Step>{kSplitParts, kSplitParts}; });
    EXPECT_GT(tally.succeeded, 1500);
}

TEST(EditEquivalence, RecomputePartsBoundsMatchesReferenceForEveryParts) {
    ExpectSameOutcome([](uint32_t) {
        std::vector<Step> steps;
        for (int k = 0; k < 6; ++k) {
            steps.push_back({"RecomputePartsBounds(" + std::to_string(k) + ")",
                             [k](Document& doc, const Notifier&) {
                                 if (k < doc.parts_count) RecomputePartsBounds(doc, k);
                                 return false;
                             },
                             [k](Document& doc, const Notifier&) {
                                 if (k < doc.parts_count) reference::ReferenceRecomputePartsBounds(doc, k);
                                 return false;
                             }});
        }
        return steps;
    });
}

TEST(EditEquivalence, SplitFacesMatchesReferenceForEveryPattern) {
    const Tally tally = ExpectSameOutcome([](uint32_t seed) { return std::vector<Step>{SplitFacesStep(seed)}; });
    EXPECT_GT(tally.succeeded, 1000);
    EXPECT_GT(tally.count(MessageId::NothingSelected), 100);
    EXPECT_GT(tally.count(MessageId::PartsLimitReached), 20);
}

TEST(EditEquivalence, SplitFacesTwiceThenNormalsMatchesReference) {
    ExpectSameOutcome([](uint32_t seed) {
        return std::vector<Step>{SplitFacesStep(seed), SplitFacesStep(seed + 7), NormalsStep(seed)};
    });
}

TEST(EditEquivalence, RecomputeNormalsMatchesReference) {
    ExpectSameOutcome([](uint32_t seed) { return std::vector<Step>{NormalsStep(seed)}; });
}

}  // namespace
}  // namespace torvel
