// A texture file made into an image glTF may hold: PNG and JPEG as they
// are, BMP and TGA converted to PNG. Everything is checked before any pixel
// is decoded, so that a hostile file costs memory in proportion to its own
// size at most: its dimensions must be positive, at most kMaxTextureSide
// each and kMaxTexturePixels together, and a file must be at least one
// byte per kMaxPixelsPerByte pixels (the densest run-length coding a TGA
// can hold; a BMP header claiming 4000 x 4000 pixels in 70 bytes is
// refused). A PNG or JPEG is decoded once as well, so that a truncated or
// corrupt one is refused rather than embedded.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace torvel {

inline constexpr uint64_t kMaxTextureBytes = uint64_t{256} << 20;
inline constexpr int kMaxTextureSide = 16384;
inline constexpr uint64_t kMaxTexturePixels = uint64_t{64} << 20;
inline constexpr uint64_t kMaxPixelsPerByte = 128;

struct TextureImage {
    std::vector<uint8_t> bytes;  // the PNG or JPEG file
    bool jpeg = false;           // else PNG
    bool converted = false;      // made from a BMP or TGA
};

// The image of a texture file's bytes. False with the reason (Japanese, for
// a note) when the file is no PNG, JPEG, BMP or TGA image that can be read,
// or breaks one of the limits above.
bool TextureImageOf(std::span<const uint8_t> file, TextureImage& image, std::string& why);

// The name a texture gets as a file of its own beside a .gltf: the last
// part of the name (after /, \ or a drive's :), with ".png" for the
// extension of a converted BMP or TGA.
std::string ImageFileName(const std::string& texture_name, const TextureImage& image);

}  // namespace torvel
