// What the mesh writers must not write: names that break their lines, values
// their readers refuse, and an OBJ save that replaces a material library
// before its OBJ is complete.
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "cli/cli.h"
#include "cli/cli_run.h"
#include "files/mesh/obj_format.h"
#include "files/ykt/ykt_files.h"
#include "test_support.h"

namespace torvel {
namespace {

using test::Cli;
using test::CliRun;
using test::TempFolder;

// Two parts in the binary form, which holds any bytes in its names; change
// may spoil them first.
template <typename Change>
std::string BinaryModel(const TempFolder& folder, Change change) {
    auto doc = test::MakeTwoParts();
    change(*doc);
    const std::string path = folder.Path("in.ykt");
    test::Recorder r;
    EXPECT_TRUE(WriteYktBinary(*doc, path.c_str(), r.notifier()));
    return path;
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(MeshSafety, LineFormsWriteNamesTheirReadersGiveBack) {
    TempFolder folder;
    // A line break with a vertex line after it, a blank and a control byte:
    // written raw, the first would shift every vertex after it.
    const std::string in = BinaryModel(folder, [](Document& doc) {
        std::strcpy(doc.parts_name[0], "a b\nv 9 9 9\x01");
        std::strcpy(doc.texture_file[0], "my tex.png");
    });
    const struct {
        const char* name;
        std::vector<std::string> form;
    } outputs[] = {{"out.ykt", {"--to", "text"}}, {"out.obj", {}}, {"out.stl", {"--ascii"}}};
    for (const auto& o : outputs) {
        SCOPED_TRACE(o.name);
        std::vector<std::string> args = {"convert", in, folder.Path(o.name)};
        args.insert(args.end(), o.form.begin(), o.form.end());
        const CliRun out = Cli(args);
        ASSERT_EQ(out.status, cli::kOk) << out.err;
        EXPECT_TRUE(Has(out.err, "を _ に置き換えて書き出しました")) << out.err;
        const CliRun info = Cli({"info", folder.Path(o.name)});
        ASSERT_EQ(info.status, cli::kOk) << info.err;
        EXPECT_TRUE(Has(info.out, "パーツ 0: a_b_v_9_9_9_  頂点 ")) << info.out;
        EXPECT_TRUE(Has(info.out, "パーツ 1: fin  頂点 ")) << info.out;
    }
}

TEST(MeshSafety, WritersRefuseWhatTheirReadersRefuse) {
    TempFolder folder;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        const char* output;
        void (*spoil)(Document&, float);
        float value;
        const char* reason;
    } cases[] = {
        {"x.glb", [](Document& d, float v) { d.vertices[1].y = v; }, nan, "頂点 1 の位置が有限の数ではない"},
        {"x.gltf", [](Document& d, float v) { d.vertices[1].y = v; }, inf, "頂点 1 の位置"},
        {"x.ply", [](Document& d, float v) { d.vertices[1].y = v; }, nan, "頂点 1 の位置"},
        {"x.stl", [](Document& d, float v) { d.vertices[1].y = v; }, -inf, "頂点 1 の位置"},
        {"x.obj", [](Document& d, float v) { d.vertices[1].y = v; }, nan, "頂点 1 の位置"},
        {"x.obj", [](Document& d, float v) { d.normals[2].z = v; }, nan, "頂点 2 の法線"},
        {"x.obj", [](Document& d, float v) { d.texture_map_v[0] = v; }, inf, "頂点 0 のテクスチャ座標"},
        {"x.glb", [](Document& d, float v) { d.material[1].diffuse[0] = v; }, inf, "パーツ 1 の材質"},
        {"x.obj", [](Document& d, float v) { d.material[0].specular_power = v; }, nan, "パーツ 0 の材質"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.output) + " " + c.reason);
        const std::string in = BinaryModel(folder, [&](Document& doc) { c.spoil(doc, c.value); });
        const CliRun out = Cli({"convert", in, folder.Path(c.output)});
        EXPECT_EQ(out.status, cli::kFailed);
        EXPECT_TRUE(Has(out.err, c.reason)) << out.err;
        EXPECT_FALSE(std::filesystem::exists(folder.Path(c.output)));
        EXPECT_FALSE(std::filesystem::exists(folder.Path("x.mtl")));
    }
}

// The OBJ's first bytes: a write op that fails on them is a full disk met
// while the OBJ is written, after its library was.
OutputOps FailingObjWrite() {
    OutputOps ops = DefaultOutputOps();
    ops.write = [](const void* data, size_t size, std::FILE* f) -> size_t {
        if (size >= 15 && std::memcmp(data, "# TORVEL\nmtllib", 15) == 0) return 0;
        return DefaultOutputOps().write(data, size, f);
    };
    return ops;
}

TEST(MeshSafety, AFailedObjSaveKeepsTheMaterialLibrary) {
    TempFolder folder;
    const std::string mtl = folder.Path("out.mtl");
    auto doc = test::MakeTwoParts();
    {
        SCOPED_TRACE("a full disk during the OBJ");
        test::WriteBytes(mtl, test::Bytes("mine"));
        test::Recorder r;
        std::vector<std::string> notes;
        EXPECT_FALSE(WriteObj(*doc, folder.Path("out.obj").c_str(), r.notifier(), notes, FailingObjWrite()));
        EXPECT_EQ(test::ReadBytes(mtl), test::Bytes("mine"));
        EXPECT_EQ(folder.Entries().size(), 1u);  // no temporary file left
    }
    {
        SCOPED_TRACE("a folder where the OBJ goes");
        std::filesystem::create_directory(folder.Path("dir.obj"));
        test::WriteBytes(folder.Path("dir.mtl"), test::Bytes("mine"));
        EXPECT_EQ(Cli({"convert", test::SamplePath("cube.ykt"), folder.Path("dir.obj")}).status, cli::kFailed);
        EXPECT_EQ(test::ReadBytes(folder.Path("dir.mtl")), test::Bytes("mine"));
    }
    {
        SCOPED_TRACE("a sound save says it replaced the library");
        const CliRun out = Cli({"convert", test::SamplePath("cube.ykt"), folder.Path("out.obj")});
        ASSERT_EQ(out.status, cli::kOk) << out.err;
        EXPECT_TRUE(Has(out.err, "既存のマテリアルライブラリ")) << out.err;
        EXPECT_NE(test::ReadBytes(mtl), test::Bytes("mine"));
    }
}

#ifndef _WIN32
// Saved through a link into another folder, the library lands beside the
// file the link names, under that file's name.
TEST(MeshSafety, AnObjSavedThroughALinkHasItsLibraryBesideTheTarget) {
    TempFolder folder;
    std::filesystem::create_directory(folder.Path("real"));
    std::filesystem::create_symlink(folder.Path("real/model.obj"), folder.Path("link.obj"));
    const CliRun out = Cli({"convert", test::SamplePath("cube.ykt"), folder.Path("link.obj")});
    ASSERT_EQ(out.status, cli::kOk) << out.err;
    EXPECT_TRUE(std::filesystem::exists(folder.Path("real/model.mtl")));
    EXPECT_FALSE(std::filesystem::exists(folder.Path("link.mtl")));
    const std::vector<uint8_t> obj = test::ReadBytes(folder.Path("real/model.obj"));
    EXPECT_TRUE(Has(std::string(obj.begin(), obj.end()), "mtllib model.mtl\n"));
}
#endif

TEST(MeshSafety, InfoNamesTheFormatAndTheFileOfAMeshFile) {
    TempFolder folder;
    const std::string glb = folder.Path("cube.glb");
    ASSERT_EQ(Cli({"convert", test::SamplePath("cube.ykt"), glb}).status, cli::kOk);
    const CliRun info = Cli({"info", glb});
    EXPECT_EQ(info.out.rfind("ファイル: " + glb + "\n形式: glTF バイナリ (.glb)\n", 0), 0u) << info.out;
    EXPECT_TRUE(Has(Cli({"info", glb, "--json"}).out, "\"form\": \"glb\"")) << Cli({"info", glb, "--json"}).out;
}

}  // namespace
}  // namespace torvel
