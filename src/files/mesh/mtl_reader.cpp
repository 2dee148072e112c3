#include "files/mesh/mtl_reader.h"

#include <unordered_map>

#include "files/mesh/mesh_exchange.h"
#include "files/mesh/obj_format.h"
#include "files/mesh/obj_lines.h"
#include "files/mesh/obj_numbers.h"

namespace torvel {

namespace {

// The options a texture line may give before the file name, with how many
// words each takes; "-o", "-s" and "-t" take one to three numbers.
struct TextureOption {
    std::string_view name;
    int words;
    bool up_to;  // as many of the words as are numbers
};
constexpr TextureOption kTextureOptions[] = {
    {"-blendu", 1, false}, {"-blendv", 1, false}, {"-boost", 1, false}, {"-mm", 2, false},
    {"-texres", 1, false}, {"-clamp", 1, false},  {"-bm", 1, false},    {"-imfchan", 1, false},
    {"-type", 1, false},   {"-cc", 1, false},     {"-o", 3, true},      {"-s", 3, true},
    {"-t", 3, true},
};

// The file name of a texture line, after its options.
std::string_view TextureName(ScanCursor c) {
    for (;;) {
        const ScanCursor before = c;
        const std::string_view word = TakeWord(c);
        const TextureOption* option = nullptr;
        for (const TextureOption& o : kTextureOptions) {
            if (word == o.name) option = &o;
        }
        if (option == nullptr) return RestOfLine(before);
        for (int k = 0; k < option->words; ++k) {
            ScanCursor probe = c;
            float unused;
            if (option->up_to && ScanReal(probe, unused) != NumberFault::None) break;
            TakeWord(c);
        }
    }
}

class LibraryReader {
public:
    explicit LibraryReader(std::vector<ObjMaterial>& out) : out_(out) {}

    bool Read(std::string_view text, std::string& why) {
        TextLines lines{text.data(), text.data() + text.size()};
        ScanCursor line;
        while (lines.Next(line)) {
            const std::string fault = ReadLine(line);
            if (!fault.empty()) {
                why = LinePlace(lines.number) + fault;
                return false;
            }
        }
        for (ObjMaterial& m : read_) Finish(m);
        // A later material of the same name replaces the earlier one.
        std::unordered_map<std::string, size_t> index;
        for (size_t k = 0; k < out_.size(); ++k) index[out_[k].name] = k;
        size_t added = 0;
        for (const ObjMaterial& m : read_) added += index.count(m.name) == 0 ? 1 : 0;
        if (out_.size() + added > kMaxLibraryMaterials) {
            why = TooMany();
            return false;
        }
        out_.reserve(out_.size() + added);
        for (ObjMaterial& m : read_) {
            const auto [at, fresh] = index.try_emplace(m.name, out_.size());
            if (fresh) {
                out_.push_back(std::move(m));
            } else {
                out_[at->second] = std::move(m);
            }
        }
        return true;
    }

private:
    // What is wrong with the line; empty when nothing is.
    std::string ReadLine(ScanCursor c) {
        const std::string_view key = TakeWord(c);
        if (key == "newmtl") {
            if (read_.size() == kMaxLibraryMaterials) return TooMany();
            read_.push_back({std::string(RestOfLine(c)), {}, {}});
            read_.back().material.specular_power = 1.0f;
            read_.back().material.diffuse[3] = 1.0f;
            d_given_ = false;
            return {};
        }
        // Values before the first material belong to none.
        if (read_.empty()) return {};
        Material& m = read_.back().material;
        if (key == "Kd") return Colour(c, m.diffuse);
        if (key == "Ka") return Colour(c, m.ambient);
        if (key == "Ks") return Colour(c, m.specular);
        if (key == "Ke") return Colour(c, m.emission);
        if (key == "Ns") return Values(c, &m.specular_power, 1);
        if (key == "d") {
            // "-halo" changes how d is applied, not its value.
            ScanCursor after = c;
            if (TakeWord(after) == "-halo") c = after;
            d_given_ = true;
            return Values(c, &m.diffuse[3], 1);
        }
        if (key == "Tr") {
            float transparency = 0.0f;
            std::string fault = Values(c, &transparency, 1);
            if (!d_given_) m.diffuse[3] = 1.0f - transparency;
            return fault;
        }
        if (key == "map_Kd") read_.back().texture = TextureName(c);
        return {};
    }

    // r g b, or r alone for all three.
    static std::string Colour(ScanCursor& c, float* rgb) {
        for (int k = 0; k < 3; ++k) {
            if (k == 1 && AtLineEnd(c)) {
                rgb[1] = rgb[2] = rgb[0];
                return {};
            }
            const NumberFault fault = ScanReal(c, rgb[k]);
            if (fault != NumberFault::None) return NumberFaultText(fault, c);
        }
        return Extra(c, 3);
    }

    static std::string Values(ScanCursor& c, float* out, int count) {
        for (int k = 0; k < count; ++k) {
            const NumberFault fault = ScanReal(c, out[k]);
            if (fault != NumberFault::None) return NumberFaultText(fault, c);
        }
        return Extra(c, count);
    }

    // Words after the last value: only a comment may follow.
    static std::string Extra(ScanCursor& c, int count) {
        if (AtLineEnd(c)) return {};
        return Quoted(TakeWord(c)) + " は余分です (数は " + std::to_string(count) + " つまで)";
    }

    static std::string TooMany() {
        return "材質が多すぎます (" + std::to_string(kMaxLibraryMaterials) + " 個まで)";
    }

    static void Finish(ObjMaterial& m) {
        AmbientFromObj(m.material);
        m.material.ambient[3] = m.material.diffuse[3];
    }

    std::vector<ObjMaterial>& out_;
    std::vector<ObjMaterial> read_;
    bool d_given_ = false;
};

}  // namespace

bool ReadMaterialLibrary(std::string_view text, std::vector<ObjMaterial>& materials, std::string& why) {
    return LibraryReader(materials).Read(text, why);
}

}  // namespace torvel
