#include "cli/png_file.h"

#include <vector>

#include "files/io/output_file.h"

// The encoder's implementation is compiled once, in the core
// (files/mesh/texture_image.cpp).
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>

namespace torvel::cli {

namespace {

void AppendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* p = static_cast<const uint8_t*>(data);
    out->insert(out->end(), p, p + size);
}

}  // namespace

bool WritePng(const char* path, const uint32_t* argb, int32_t width, int32_t height,
              const Notifier& notifier) {
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    for (size_t k = 0; k < rgba.size() / 4; ++k) {
        const uint32_t p = argb[k];
        rgba[4 * k + 0] = static_cast<uint8_t>(p >> 16);
        rgba[4 * k + 1] = static_cast<uint8_t>(p >> 8);
        rgba[4 * k + 2] = static_cast<uint8_t>(p);
        rgba[4 * k + 3] = static_cast<uint8_t>(p >> 24);
    }
    if (width <= 0 || height <= 0) {
        ShowMessage(notifier, MessageId::CannotSaveFile);
        return false;
    }
    // The encoder fails only when its own allocations do.
    std::vector<uint8_t> png;
    if (stbi_write_png_to_func(AppendBytes, &png, width, height, 4, rgba.data(), width * 4) == 0) {
        ShowMessage(notifier, MessageId::OutOfMemory);
        return false;
    }
    OutputFile out(path, DefaultOutputOps());
    if (out.created()) out.Write(png.data(), png.size());
    if (!out.created() || !out.Commit()) {
        ShowMessage(notifier, OutputFailureMessage(out.error()));
        return false;
    }
    return true;
}

}  // namespace torvel::cli
