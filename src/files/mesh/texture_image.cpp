#include "files/mesh/texture_image.h"

#include <algorithm>
#include <initializer_list>
#include <memory>

// The program's one copy of the image encoder (the tool's PNG pictures use
// it too) and a private decoder for the four formats a texture may have,
// reading from memory only.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#define STBI_MAX_DIMENSIONS 16384
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#endif
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace torvel {

namespace {

static_assert(kMaxTextureSide == STBI_MAX_DIMENSIONS);

bool StartsWith(std::span<const uint8_t> file, std::initializer_list<uint8_t> magic) {
    return file.size() >= magic.size() && std::equal(magic.begin(), magic.end(), file.begin());
}

void AppendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* p = static_cast<const uint8_t*>(data);
    out->insert(out->end(), p, p + size);
}

struct FreePixels {
    void operator()(stbi_uc* p) const { stbi_image_free(p); }
};

}  // namespace

bool TextureImageOf(std::span<const uint8_t> file, TextureImage& image, std::string& why) {
    image = {};
    if (file.size() > kMaxTextureBytes) {
        why = "ファイルが大きすぎます (" + std::to_string(kMaxTextureBytes >> 20) + " MiB まで)";
        return false;
    }
    // stb takes an int length; the limit above keeps it in range.
    const auto* data = file.data();
    const int length = static_cast<int>(file.size());
    int width = 0, height = 0, channels = 0;
    if (file.empty() || !stbi_info_from_memory(data, length, &width, &height, &channels)) {
        why = "PNG、JPEG、BMP、TGA のどれの画像としても読めません";
        return false;
    }
    const uint64_t pixels = uint64_t(width) * uint64_t(height);
    if (width <= 0 || height <= 0 || width > kMaxTextureSide || height > kMaxTextureSide ||
        pixels > kMaxTexturePixels || pixels > kMaxPixelsPerByte * file.size()) {
        why = "画像の大きさ " + std::to_string(width) + " x " + std::to_string(height) +
              " がファイルの大きさに見合わないか、大きすぎます";
        return false;
    }
    const bool png = StartsWith(file, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A});
    image.jpeg = StartsWith(file, {0xFF, 0xD8, 0xFF});
    int w = 0, h = 0, n = 0;
    const std::unique_ptr<stbi_uc, FreePixels> decoded(stbi_load_from_memory(data, length, &w, &h, &n, 0));
    if (!decoded) {
        why = std::string("画像が壊れているか途中で切れています (") + stbi_failure_reason() + ")";
        return false;
    }
    if (png || image.jpeg) {
        image.bytes.assign(file.begin(), file.end());
        return true;
    }
    image.converted = true;
    if (stbi_write_png_to_func(AppendBytes, &image.bytes, w, h, n, decoded.get(), w * n) == 0) {
        why = "PNG に変換できません";
        return false;
    }
    return true;
}

std::string ImageFileName(const std::string& texture_name, const TextureImage& image) {
    // A drive (C:) goes too, so that the name stays inside the folder.
    const size_t slash = texture_name.find_last_of("/\\:");
    std::string name = slash == std::string::npos ? texture_name : texture_name.substr(slash + 1);
    if (image.converted) {
        const size_t dot = name.rfind('.');
        if (dot != std::string::npos && dot > 0) name.resize(dot);
        name += ".png";
    }
    return name;
}

}  // namespace torvel
