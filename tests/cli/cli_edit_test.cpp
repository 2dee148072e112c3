#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/cli.h"
#include "cli/cli_run.h"
#include "test_support.h"

namespace torvel {
namespace {

using test::TempFolder;

using test::Cli;
using test::CliRun;

// Loads a written model through the loading rule; null when it fails.
std::unique_ptr<Document> Load(const std::string& path) {
    auto doc = NewDocument();
    test::Recorder recorder;
    if (!LoadModelFile(*doc, path.c_str(), recorder.notifier())) return nullptr;
    return doc;
}

int QuadCount(const Document& doc) {
    int quads = 0;
    for (const Face& f : doc.faces) quads += f.v[3] != -1 ? 1 : 0;
    return quads;
}

TEST(CliEdit, SplitFacesOfTheWholeCubeGivesFourQuadsPerFace) {
    TempFolder folder;
    const std::string out = folder.Path("split.ykt");
    const CliRun r = Cli({"edit", test::SamplePath("cube.ykt"), out, "--select-all", "--split-faces", "0,3"});
    ASSERT_EQ(r.status, cli::kOk) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    const auto doc = Load(out);
    ASSERT_NE(doc, nullptr);
    EXPECT_FALSE(doc->binary_form);
    EXPECT_EQ(doc->total_face_count, 24);
    EXPECT_EQ(QuadCount(*doc), 24);
    // 8 corners, 12 edge midpoints and 6 face centres.
    EXPECT_EQ(doc->total_vertex_count, 26);
    // Normals are recomputed: a face centre's normal is its face's.
    for (size_t k = 0; k < doc->vertices.size(); ++k) {
        const Vec3& p = doc->vertices[k];
        if (p.x == 0.0f && p.y == 0.0f && p.z == 1.0f) {
            EXPECT_NEAR(doc->normals[k].x, 0.0f, 1e-6f);
            EXPECT_NEAR(doc->normals[k].y, 0.0f, 1e-6f);
            EXPECT_NEAR(doc->normals[k].z, 1.0f, 1e-6f);
        }
    }
}

TEST(CliEdit, APickInTheFrontViewSelectsOneSideForAPartsSplit) {
    TempFolder folder;
    const std::string out = folder.Path("parts.ykt");
    // 800x600 fits the cube at 285 pixels per unit with the origin at
    // (290, 290): the four corners at x = +1 all land on pixel column 575.
    const CliRun r = Cli({"edit", test::SamplePath("cube.ykt"), out, "--pick", "500,0,600,600", "--split-parts"});
    ASSERT_EQ(r.status, cli::kOk) << r.err;
    const auto doc = Load(out);
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(doc->parts_count, 2);
    EXPECT_STREQ(doc->parts_name[1], "no-name");
    EXPECT_EQ(PartsFaceCount(*doc, 0), 5);
    EXPECT_EQ(PartsFaceCount(*doc, 1), 1);

    // A smaller view moves the side's pixels: the same rectangle in a
    // 400x300 view (side at column 275) catches nothing.
    const CliRun small = Cli({"edit", test::SamplePath("cube.ykt"), out, "--size", "400x300", "--pick",
                              "500,0,600,600", "--split-parts"});
    ASSERT_EQ(small.status, cli::kOk) << small.err;
    EXPECT_EQ(Load(out)->parts_count, 1);
}

TEST(CliEdit, UndoAfterEditsGivesBackTheInputBytes) {
    TempFolder folder;
    for (const char* sample : {"cube.ykt", "robot-binary.ykt"}) {
        const std::string out = folder.Path(std::string("undone-") + sample);
        const CliRun r = Cli({"edit", test::SamplePath(sample), out, "--select-all", "--split-parts", "--undo",
                              "--parts", "1", "--select-all", "--split-faces", "1,7", "--undo"});
        ASSERT_EQ(r.status, cli::kOk) << sample << ": " << r.err;
        EXPECT_EQ(test::ReadBytes(out), test::ReadBytes(test::SamplePath(sample))) << sample;
    }
    // An edit without its undo does change the model.
    const std::string aligned = folder.Path("aligned.ykt");
    ASSERT_EQ(Cli({"edit", test::SamplePath("cube.ykt"), aligned, "--select-all", "--align", "y"}).status,
              cli::kOk);
    const auto doc = Load(aligned);
    ASSERT_NE(doc, nullptr);
    for (const Vec3& p : doc->vertices) EXPECT_EQ(p.y, 0.0f);
}

TEST(CliEdit, UndoReturnsThePartsChoiceToTheWholeModel) {
    TempFolder folder;
    const std::string out = folder.Path("out.ykt");
    // The undo removes parts 2, which was chosen; the next select-all acts
    // on the whole model again.
    const CliRun r = Cli({"edit", test::SamplePath("cube.ykt"), out, "--select-all", "--split-parts", "--parts",
                          "2", "--undo", "--deselect-all", "--select-all", "--align", "x"});
    ASSERT_EQ(r.status, cli::kOk) << r.err;
    const auto doc = Load(out);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->parts_count, 1);
    for (const Vec3& p : doc->vertices) EXPECT_EQ(p.x, 0.0f);
}

TEST(CliEdit, ARefusedEditIsReportedAndTheOutputStillWritten) {
    TempFolder folder;
    const std::string out = folder.Path("out.ykt");
    const CliRun r = Cli({"edit", test::SamplePath("cube.ykt"), out, "--split-parts"});
    EXPECT_EQ(r.status, cli::kOk);
    EXPECT_EQ(r.err, "torvel-cli: 選択されている頂点はありません\n");
    EXPECT_EQ(test::ReadBytes(out), test::ReadBytes(test::SamplePath("cube.ykt")));
}

TEST(CliEdit, KeepsTheInputsFormUnlessToIsGiven) {
    TempFolder folder;
    const std::string same = folder.Path("same.ykt");
    const std::string text = folder.Path("text.ykt");
    ASSERT_EQ(Cli({"edit", test::SamplePath("robot-binary.ykt"), same}).status, cli::kOk);
    EXPECT_EQ(test::ReadBytes(same), test::ReadBytes(test::SamplePath("robot-binary.ykt")));
    ASSERT_EQ(Cli({"edit", test::SamplePath("robot-binary.ykt"), text, "--to", "text"}).status, cli::kOk);
    EXPECT_EQ(test::ReadBytes(text), test::ReadBytes(test::SamplePath("robot.ykt")));
}

TEST(CliEdit, RefusesBadOptionsWithTheHelpAndWritesNothing) {
    TempFolder folder;
    const std::string out = folder.Path("x.ykt");
    const std::string cube = test::SamplePath("cube.ykt");
    const std::vector<std::vector<std::string>> bad = {
        {"--frobnicate"},
        {"--split-faces", "5,3"},
        {"--split-faces", "0,13"},
        {"--split-faces", "0"},
        {"--align", "w"},
        {"--parts", "2"},
        {"--pick", "1,2,3"},
        {"--pick", "1,2,3,4,5"},
        {"--pick", "a,2,3,4"},
        {"--pick", "9,0,3,4"},
        {"--size", "800"},
        {"--direction", "up"},
        {"--deselect-mode", "maybe"},
        {"--to", "xml"},
        {"--select-all", "--split-faces"},
    };
    for (const auto& options : bad) {
        std::vector<std::string> args = {"edit", cube, out};
        args.insert(args.end(), options.begin(), options.end());
        const CliRun r = Cli(args);
        EXPECT_EQ(r.status, cli::kUsage) << options[0];
        EXPECT_NE(r.err.find("使い方: torvel-cli edit"), std::string::npos) << options[0];
    }
    EXPECT_EQ(Cli({"edit", cube}).status, cli::kUsage);
    EXPECT_TRUE(folder.Entries().empty());

    // A parts added by a split may be chosen afterwards.
    EXPECT_EQ(Cli({"edit", cube, out, "--select-all", "--split-parts", "--parts", "2"}).status, cli::kOk);
    EXPECT_EQ(Cli({"edit", "--help"}).status, cli::kOk);
}

TEST(CliEdit, AMissingInputFailsAndWritesNothing) {
    TempFolder folder;
    const CliRun r = Cli({"edit", "/no/such.ykt", folder.Path("out.ykt"), "--select-all"});
    EXPECT_EQ(r.status, cli::kFailed);
    EXPECT_EQ(r.err, "torvel-cli: ファイルがありません\n");
    EXPECT_TRUE(folder.Entries().empty());
}

}  // namespace
}  // namespace torvel
