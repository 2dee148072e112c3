// Texture images in glTF exports: found beside the model read, embedded in
// a .glb or a .gltf or copied beside it, BMP and TGA made PNG, and files
// that are missing or no usable image left out with their names kept.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "files/mesh/gltf_format.h"
#include "files/mesh/mesh_files.h"
#include "test_support.h"

#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>

namespace torvel {
namespace {

void Append(void* out, void* data, int size) {
    auto* bytes = static_cast<std::vector<uint8_t>*>(out);
    bytes->insert(bytes->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
}

// A 2 x 2 picture as PNG, JPEG, BMP or TGA; a BMP or TGA may claim side x
// side pixels in its header.
std::vector<uint8_t> Image(char kind, uint16_t side = 2) {
    const uint8_t pixels[12] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    std::vector<uint8_t> out;
    if (kind == 'p') stbi_write_png_to_func(Append, &out, 2, 2, 3, pixels, 6);
    if (kind == 'j') stbi_write_jpg_to_func(Append, &out, 2, 2, 3, pixels, 90);
    if (kind == 'b') stbi_write_bmp_to_func(Append, &out, 2, 2, 3, pixels);
    if (kind == 't') stbi_write_tga_to_func(Append, &out, 2, 2, 3, pixels);
    if (kind != 'b' && kind != 't') return out;
    const size_t at = kind == 'b' ? 18 : 12;  // width, then height
    for (const size_t k : {at, at + (kind == 'b' ? 4 : 2)}) std::memcpy(&out[k], &side, 2);
    return out;
}

// The JSON of a .gltf, or of a .glb's first chunk.
nlohmann::json GltfJson(const std::vector<uint8_t>& file) {
    const bool glb = std::memcmp(file.data(), "glTF", 4) == 0;
    uint32_t length = static_cast<uint32_t>(file.size());
    if (glb) std::memcpy(&length, &file[12], 4);
    return nlohmann::json::parse(file.begin() + (glb ? 20 : 0), file.begin() + (glb ? 20 : 0) + length);
}

TEST(GltfTextures, TravelWithTheExportOrStayNamesWithANote) {
    const std::vector<uint8_t> png = Image('p'), cut(png.begin(), png.end() - 12);
    const struct {
        const char* name;           // the texture file name the model holds
        std::vector<uint8_t> file;  // under that name beside the model (empty: none)
        const char* output;         // with "+": --external-images
        const char* image;          // "bufferView", "data:image/png", a file name beside, or "" for none
        const char* note;           // a note that must be among the notes
        const char* plain;          // the name read from a .gltf without the extras
    } rows[] = {
        {"tex.png", png, "out.glb", "bufferView", "", ""},
        {"sub\\tex.jpg", Image('j'), "out.gltf", "data:image/jpeg", "", "sub\\tex.jpg"},
        {"tex.bmp", Image('b'), "out.glb", "bufferView", "PNG に変換", ""},
        {"my tex.tga", Image('t'), "out.gltf+", "my tex.png", "PNG に変換", "my tex.png"},
        {"missing.png", {}, "out.glb", "", "見つからない", ""},
        {"none", {}, "out.gltf", "", "", ""},
        {"bomb.bmp", Image('b', 4000), "out.glb", "", "見合わない", ""},
        {"bomb.tga", Image('t', 16000), "out.glb", "", "見合わない", ""},
        {"text.png", test::Bytes("not a picture"), "out.glb", "", "読めません", ""},
        {"cut.png", cut, "out.gltf", "", "途中で切れて", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        test::TempFolder folder;
        std::filesystem::create_directories(folder.Path("in/sub"));
        std::string file = row.name;
        std::replace(file.begin(), file.end(), '\\', '/');
        if (!row.file.empty()) test::WriteBytes(folder.Path("in/" + file), row.file);
        auto doc = test::MakeCube();
        std::strcpy(doc->texture_file[0], row.name);
        const bool external = std::string(row.output).back() == '+';
        const std::string output = folder.Path(std::string(row.output).substr(0, 8));
        test::Recorder r;
        std::vector<std::string> notes;
        ASSERT_TRUE(WriteMeshFileAs(*doc, FormatOfPath(output), output, false, r.notifier(), notes,
                                    {folder.Path("in/model.ykt"), external}));
        std::string all;
        for (const std::string& n : notes) all += n + "\n";
        EXPECT_NE(all.find(row.note), std::string::npos) << all;

        nlohmann::json json = GltfJson(test::ReadBytes(output));
        ASSERT_EQ(json.contains("images"), row.image[0] != '\0');
        if (row.image[0] != '\0') {
            EXPECT_EQ(json["materials"][0]["pbrMetallicRoughness"]["baseColorTexture"]["index"], 0);
            const std::string uri = json["images"][0].value("uri", "bufferView");
            EXPECT_EQ(uri.substr(0, uri.find(';')), external ? "my%20tex.png" : row.image);
            if (external) {
                EXPECT_EQ(test::ReadBytes(folder.Path(row.image)).size() > 8, true);
            }
        }
        // The model's own name comes back through the extras; without
        // them, from the image's URI or name.
        for (const bool extras : {true, false}) {
            if (!extras && FormatOfPath(output) == MeshFormat::Glb) break;
            if (!extras) json["materials"][0].erase("extras");
            if (!extras) test::WriteBytes(output, test::Bytes(json.dump()));
            auto back = NewDocument();
            ReadReport report;
            std::vector<std::string> read_notes;
            ASSERT_TRUE(ReadMeshFile(*back, FormatOfPath(output), output, report, read_notes))
                << test::AllProblems(report);
            EXPECT_STREQ(back->texture_file[0], extras ? row.name : row.plain);
        }
    }
}

}  // namespace
}  // namespace torvel
