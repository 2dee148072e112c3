#include "test_support.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include <gtest/gtest.h>

#include "model_compare.h"

namespace torvel::test {

Notifier Recorder::notifier() {
    Notifier n;
    n.show_message = [this](const UserMessage& m) { messages.push_back(m); };
    n.set_wait_cursor = [this](bool busy) { wait_cursor_depth += busy ? 1 : -1; };
    n.set_parts_split_enabled = [this](bool enabled) { split_button.push_back(enabled); };
    n.append_parts_line = [this](const std::string& name) { parts_lines.push_back(name); };
    n.remove_parts_lines = [this](int count) { parts_lines_removed += count; };
    return n;
}

std::vector<MessageId> Recorder::ids() const {
    std::vector<MessageId> out;
    for (const auto& m : messages) out.push_back(m.id);
    return out;
}

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = "torvel-test-";
    if (info != nullptr) name.append(info->test_suite_name()).append("-").append(info->name());
    name.append("-").append(std::to_string(counter++));
    for (char& ch : name) {
        if (ch == '/' || ch == '\\') ch = '_';
    }
    dir_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

std::string TempFolder::Path(const std::string& name) const {
    return Utf8Text(FilePath(dir_ / FilePath(name).native));
}

std::vector<std::string> TempFolder::Entries() const {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dir_)) {
        out.push_back(Utf8Text(FilePath(e.path().filename())));
    }
    return out;
}

const std::vector<std::string>& UnusualPathNames() {
    static const std::vector<std::string> names = {
        "café.ykt", "Straße/modell.ykt", "한국어/모델.ykt", "😀 model.ykt", "ソフト/表.ykt",
    };
    return names;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(FilePath(path).native, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(FilePath(path).native, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string AllProblems(const ReadReport& report) {
    std::string all;
    for (const auto& line : report.problems) all += line + "\n";
    return all;
}

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

std::string SamplePath(const std::string& name) {
    return std::string(TORVEL_SAMPLES_DIR) + "/" + name;
}

bool ReadText(Document& doc, const std::string& text, Recorder* recorder) {
    Recorder local;
    Recorder& r = recorder != nullptr ? *recorder : local;
    const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    ReadReport report;
    InputBytes input = InputBytes::FromMemory(bytes);
    const bool ok = ReadYktText(doc, input, r.notifier(), &report, {1, 0});
    // Every text the tests read is read again with its lists cut into pieces
    // down to single lines on 2, 3 and 4 threads: nothing may differ.
    for (size_t threads = 2; threads <= 4; ++threads) {
        const std::string difference = DiffTextReadInThreads(bytes, ok, doc, report, threads);
        if (!difference.empty()) ADD_FAILURE() << "read in " << threads << " threads: " << difference;
    }
    return ok;
}

std::string DiffTextReadInThreads(std::span<const uint8_t> bytes, bool ok, const Document& doc,
                                  const ReadReport& report, size_t threads) {
    auto other = NewDocument();
    Notifier quiet;
    ReadReport other_report;
    InputBytes input = InputBytes::FromMemory(bytes);
    if (ReadYktText(*other, input, quiet, &other_report, {threads, 1}) != ok) return "the result";
    if (other_report.problems != report.problems || other_report.omitted != report.omitted) return "the report";
    return DiffModels(doc, *other);
}

bool ReadBinary(Document& doc, const std::vector<uint8_t>& bytes, Recorder* recorder) {
    Recorder local;
    Recorder& r = recorder != nullptr ? *recorder : local;
    return ReadYktBinary(doc, bytes, r.notifier());
}

namespace {

void SetName(char* dst, size_t cap, const char* text) {
    std::snprintf(dst, cap, "%s", text);
}

void SetMaterial(Material& m, float base) {
    for (int k = 0; k < 4; ++k) {
        m.diffuse[k] = base + 0.1f * static_cast<float>(k);
        m.ambient[k] = m.diffuse[k];
        m.specular[k] = base + 0.01f * static_cast<float>(k);
        m.emission[k] = 0.25f * static_cast<float>(k);
    }
    m.specular_power = 5.0f + base;
}

// Fills the per-vertex attributes that the builders do not set one by one.
void FillAttributes(Document& doc) {
    for (size_t k = 0; k < doc.vertices.size(); ++k) {
        const Vec3& p = doc.vertices[k];
        // Values with short decimal texts, so the text form carries them exactly.
        doc.normals[k] = {0.5f * p.x, 0.5f * p.y, 0.25f * p.z + 0.5f};
        doc.texture_map_u[k] = static_cast<float>(k % 2);
        doc.texture_map_v[k] = static_cast<float>((k / 2) % 2);
    }
}

}  // namespace

std::unique_ptr<Document> MakeCube() {
    auto doc = NewDocument();
    Document& d = *doc;
    SetName(d.version, sizeof d.version, "1.61");
    d.parts_count = 1;
    d.total_vertex_count = 8;
    d.total_face_count = 6;
    AllocateVertexArrays(d, 8);
    AllocateFaceArray(d, 6);
    for (int k = 0; k < 8; ++k) {
        d.vertices[static_cast<size_t>(k)] = {(k & 1) ? 1.0f : -1.0f, (k & 2) ? 1.0f : -1.0f,
                                              (k & 4) ? 1.0f : -1.0f};
    }
    const Face faces[6] = {{{0, 2, 3, 1}}, {{4, 5, 7, 6}}, {{0, 1, 5, 4}},
                           {{2, 6, 7, 3}}, {{0, 4, 6, 2}}, {{1, 3, 7, 5}}};
    for (int f = 0; f < 6; ++f) d.faces[static_cast<size_t>(f)] = faces[f];
    FillAttributes(d);
    d.vertex_offset[1] = 8;
    d.face_offset[1] = 6;
    SetName(d.parts_name[0], kNameSize, "cube");
    d.corner_min[0] = {-1, -1, -1};
    d.corner_max[0] = {1, 1, 1};
    d.total_corner_min = {-1, -1, -1};
    d.total_corner_max = {1, 1, 1};
    SetMaterial(d.material[0], 0.5f);
    SetName(d.texture_file[0], kTextureFileSize, "cube.bmp");
    d.texture_map_param_p12[0][0] = 1.0f;
    d.texture_map_param_p12[0][1] = 1.0f;
    return doc;
}

std::unique_ptr<Document> MakeTwoParts() {
    auto doc = NewDocument();
    Document& d = *doc;
    SetName(d.version, sizeof d.version, "1.61");
    d.parts_count = 2;
    d.total_vertex_count = 7;
    d.total_face_count = 3;
    AllocateVertexArrays(d, 7);
    AllocateFaceArray(d, 3);
    const Vec3 positions[7] = {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0},
                               {3, 0, 1}, {4, 0, 1}, {3.5f, 1.5f, 1}};
    for (int k = 0; k < 7; ++k) d.vertices[static_cast<size_t>(k)] = positions[k];
    d.faces[0] = {{0, 1, 2, -1}};
    d.faces[1] = {{0, 2, 3, -1}};
    d.faces[2] = {{0, 1, 2, -1}};
    FillAttributes(d);
    d.vertex_offset[1] = 4;
    d.vertex_offset[2] = 7;
    d.face_offset[1] = 2;
    d.face_offset[2] = 3;
    SetName(d.parts_name[0], kNameSize, "plate");
    SetName(d.parts_name[1], kNameSize, "fin");
    d.corner_min[0] = {0, 0, 0};
    d.corner_max[0] = {2, 2, 0};
    d.center[0] = {1, 1, 0};
    d.corner_min[1] = {3, 0, 1};
    d.corner_max[1] = {4, 1.5f, 1};
    d.center[1] = {3.5f, 0.75f, 1};
    d.total_corner_min = {0, 0, 0};
    d.total_corner_max = {4, 2, 1};
    d.total_center = {2, 1, 0.5f};
    SetMaterial(d.material[0], 0.25f);
    SetMaterial(d.material[1], 0.75f);
    d.texture_map_flag[1] = 1;
    d.texture_map_param_int[1] = 3;
    for (int i = 0; i < 2; ++i) {
        d.texture_map_param_p12[i][0] = 1.0f;
        d.texture_map_param_p12[i][1] = 1.0f;
    }
    d.texture_map_param_p34[1][0] = 0.5f;
    d.texture_map_param_p34[1][1] = -0.5f;
    d.texture_all = 1;
    return doc;
}

std::unique_ptr<Document> MakeGrid(int columns, int rows) {
    auto doc = NewDocument();
    Document& d = *doc;
    const int32_t n = (columns + 1) * (rows + 1);
    const int32_t f = columns * rows;
    d.parts_count = 1;
    d.total_vertex_count = n;
    d.total_face_count = f;
    AllocateVertexArrays(d, n);
    AllocateFaceArray(d, f);
    for (int j = 0; j <= rows; ++j) {
        for (int i = 0; i <= columns; ++i) {
            const size_t k = static_cast<size_t>(j * (columns + 1) + i);
            d.vertices[k] = {static_cast<float>(i), static_cast<float>(j), 0.0f};
            d.normals[k] = {0.0f, 0.0f, -1.0f};
            d.blend[k] = 0.5f;
            d.texture_map_u[k] = static_cast<float>(i) / static_cast<float>(columns);
            d.texture_map_v[k] = static_cast<float>(j) / static_cast<float>(rows);
        }
    }
    for (int j = 0; j < rows; ++j) {
        for (int i = 0; i < columns; ++i) {
            const int32_t a = j * (columns + 1) + i;
            // Counter-clockwise seen from +z is (a, a+1, a+1+W, a+W); the
            // reverse order faces -z.
            d.faces[static_cast<size_t>(j * columns + i)] = {{a, a + columns + 1, a + columns + 2, a + 1}};
        }
    }
    d.vertex_offset[1] = n;
    d.face_offset[1] = f;
    SetName(d.parts_name[0], kNameSize, "grid");
    d.corner_min[0] = d.total_corner_min = {0, 0, 0};
    d.corner_max[0] = d.total_corner_max = {static_cast<float>(columns), static_cast<float>(rows), 0};
    d.center[0] = d.total_center = {columns / 2.0f, rows / 2.0f, 0};
    return doc;
}

std::unique_ptr<Document> MakeRich() {
    auto doc = MakeTwoParts();
    Document& d = *doc;
    d.unit_count = 3;
    d.motion_count = 2;
    const int types[3] = {0, 1, 2};
    const char* names[3] = {"root", "arm", "hand"};
    for (int j = 0; j < 3; ++j) {
        d.unit_type[j] = types[j];
        d.unit_basis[j] = {static_cast<float>(j), 0.5f * static_cast<float>(j), -1.0f};
        SetName(d.unit_name[j], kNameSize, names[j]);
        d.unit_blend_1[j] = j;
        d.unit_blend_2[j] = 10 + j;
    }
    d.unit_basis_ext[1][0] = 7;
    d.unit_basis_ext[1][1] = 8;
    d.unit_basis_ext[1][2] = 9;
    // Parts hang from units 2 and 3, units from none, 2 and 3.
    const int32_t parent[5] = {2, 3, 0, 2, 3};
    std::memcpy(d.parent, parent, sizeof parent);
    for (int m = 0; m < 2; ++m) {
        for (int j = 0; j < 3; ++j) {
            d.unit_angle[m][j][0] = 100 * m + j;
            if (types[j] != 1) {
                d.unit_angle[m][j][1] = -(100 * m + j);
                d.unit_angle[m][j][2] = 45;
            }
            d.unit_translation[m][j][0] = 0.125f * static_cast<float>(m);
            d.unit_translation[m][j][1] = static_cast<float>(j);
            d.unit_translation[m][j][2] = -2.5f;
        }
    }
    d.has_translation = true;
    d.has_blend = true;
    for (size_t k = 0; k < d.blend.size(); ++k) d.blend[k] = 0.125f * static_cast<float>(k);
    d.has_anim = true;
    d.anim_count = 2;
    d.anim_data[0] = {0, 30, 1, "walk"};
    d.anim_data[1] = {31, 60, 255, "run"};
    return doc;
}

}  // namespace torvel::test
