// Texture images in glTF exports: found beside the model read, embedded in
// a .glb or a .gltf or copied beside it, BMP and TGA made PNG, and files
// that are missing or no usable image left out with their names kept.
#include <cstring>
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
    static_cast<std::vector<uint8_t>*>(out)->insert(static_cast<std::vector<uint8_t>*>(out)->end(),
                                                     static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
}

// A 2 x 2 picture in each form; a BMP and a TGA by hand (24 bits, no
// compression), claiming width x height pixels.
std::vector<uint8_t> Image(char kind, int32_t width = 2, int32_t height = 2) {
    const uint8_t pixels[12] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    std::vector<uint8_t> out;
    if (kind == 'p') stbi_write_png_to_func(Append, &out, 2, 2, 3, pixels, 6);
    if (kind == 'j') stbi_write_jpg_to_func(Append, &out, 2, 2, 3, pixels, 90);
    const auto put = [&](uint32_t v, int bytes) {
        for (int k = 0; k < bytes; ++k) out.push_back(static_cast<uint8_t>(v >> (8 * k)));
    };
    if (kind == 'b') {
        out = {'B', 'M'};
        for (const uint32_t v : {70u, 0u, 54u, 40u, uint32_t(width), uint32_t(height)}) put(v, 4);
        put(1, 2), put(24, 2);
        for (int k = 0; k < 6; ++k) put(0, 4);
        out.resize(70, 0x80);
    }
    if (kind == 't') {
        for (const uint32_t v : {0u, 0u, 2u, 0u, 0u, 0u, 0u, 0u, 0u, 0u, 0u, 0u}) put(v, 1);
        put(uint32_t(width), 2), put(uint32_t(height), 2), put(24, 1), put(0, 1);
        out.resize(out.size() + 12, 0x40);
    }
    return out;
}

nlohmann::json GltfJson(const std::vector<uint8_t>& file) {
    if (file.size() > 20 && std::memcmp(file.data(), "glTF", 4) == 0) {
        uint32_t length;
        std::memcpy(&length, &file[12], 4);
        return nlohmann::json::parse(file.begin() + 20, file.begin() + 20 + length);
    }
    return nlohmann::json::parse(file.begin(), file.end());
}

TEST(GltfTextures, TravelWithTheExportOrStayNamesWithANote) {
    const std::vector<uint8_t> png = Image('p');
    std::vector<uint8_t> cut = png;
    cut.resize(cut.size() - 12);
    const struct {
        const char* name;  // the texture file name the model holds
        std::vector<uint8_t> file;  // in the model's folder under that name (none: empty)
        const char* output;
        bool external;
        const char* mime;  // of the image written; empty: none
        const char* note;  // a note that must be among the notes
        const char* beside;  // the image file beside the output
        const char* plain;  // the name read without the extras
    } rows[] = {
        {"tex.png", png, "out.glb", false, "image/png", "", "", "tex.png"},
        {"sub\\tex.jpg", Image('j'), "out.gltf", false, "image/jpeg", "", "", "sub\\tex.jpg"},
        {"tex.bmp", Image('b'), "out.glb", false, "image/png", "PNG に変換", "", "tex.bmp"},
        {"my tex.tga", Image('t'), "out.gltf", true, "image/png", "PNG に変換", "my tex.png", "my tex.png"},
        {"a.png", png, "out.gltf", true, "image/png", "", "a.png", "a.png"},
        {"missing.png", {}, "out.glb", false, "", "見つからない", "", ""},
        {"none", {}, "out.glb", false, "", "", "", ""},
        {"bomb.bmp", Image('b', 30000, 30000), "out.glb", false, "", "見合わない", "", ""},
        {"bomb.tga", Image('t', 16000, 16000), "out.glb", false, "", "見合わない", "", ""},
        {"text.png", test::Bytes("not a picture"), "out.glb", false, "", "読めません", "", ""},
        {"cut.png", cut, "out.gltf", false, "", "途中で切れて", "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        test::TempFolder folder;
        std::string file_name = row.name;
        for (char& c : file_name) c = c == '\\' ? '/' : c;
        std::filesystem::create_directories(folder.Path("in/sub"));
        std::filesystem::create_directories(folder.Path("out"));
        if (!row.file.empty()) test::WriteBytes(folder.Path("in/" + file_name), row.file);
        auto doc = test::MakeCube();
        std::strcpy(doc->texture_file[0], row.name);
        const std::string output = folder.Path("out/" + std::string(row.output));
        test::Recorder r;
        std::vector<std::string> notes;
        ASSERT_TRUE(WriteMeshFileAs(*doc, FormatOfPath(output), output, false, r.notifier(), notes,
                                    {folder.Path("in/model.ykt"), row.external}));
        std::string all;
        for (const std::string& n : notes) all += n + "\n";
        EXPECT_NE(all.find(row.note), std::string::npos) << all;

        nlohmann::json json = GltfJson(test::ReadBytes(output));
        EXPECT_EQ(json.contains("images"), row.mime[0] != '\0');
        if (json.contains("images")) {
            EXPECT_EQ(json["materials"][0]["pbrMetallicRoughness"]["baseColorTexture"]["index"], 0);
            const nlohmann::json& image = json["images"][0];
            const std::string uri = image.value("uri", "");
            const bool data = uri.rfind("data:", 0) == 0;
            if (!row.external) EXPECT_EQ(data ? uri.substr(5, uri.find(';') - 5) : image.value("mimeType", ""), row.mime);
            EXPECT_EQ(image.contains("bufferView"), row.output == std::string("out.glb"));
        }
        if (row.beside[0] != '\0') {
            const std::vector<uint8_t> copied = test::ReadBytes(folder.Path("out/" + std::string(row.beside)));
            EXPECT_EQ(copied.size() > 8 && std::memcmp(copied.data(), "\x89PNG", 4) == 0, true);
        }
        // The model's own name comes back through the extras; without
        // them, from the image's URI or name.
        for (const bool extras : {true, false}) {
            if (!extras) json["materials"][0].erase("extras");
            const std::string dumped = extras ? "" : json.dump();
            if (!extras && row.output == std::string("out.glb")) continue;
            if (!extras) test::WriteBytes(output, test::Bytes(dumped));
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
