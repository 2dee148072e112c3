#include <gtest/gtest.h>

#include "edit/edit_ops.h"
#include "model_compare.h"
#include "test_support.h"

namespace torvel {
namespace {

using test::Recorder;

TEST(Undo, NothingToUndoWithoutAModelOrSnapshot) {
    auto empty = NewDocument();
    EXPECT_FALSE(TakeUndoSnapshot(*empty));
    EXPECT_FALSE(empty->undo.present);
    Recorder rec;
    EXPECT_FALSE(RestoreUndoSnapshot(*empty, rec.notifier()));

    auto doc = test::MakeCube();
    EXPECT_FALSE(RestoreUndoSnapshot(*doc, rec.notifier()));
    EXPECT_EQ(doc->total_vertex_count, 8);
}

// Every edit followed by an undo gives back the model as it was, selection
// included, and a second undo does nothing.
TEST(Undo, RestoresTheModelAfterEachEdit) {
    struct Edit {
        const char* name;
        void (*run)(Document&, const Notifier&);
    };
    const Edit edits[] = {
        {"split parts", [](Document& d, const Notifier& n) { SplitParts(d, n); }},
        {"split faces", [](Document& d, const Notifier& n) { SplitFaces(d, 0, 3, n); RecomputeNormals(d); }},
        // The snapshot no longer holds the Document's bytes, so the split
        // must leave it alone rather than take the Document's old arrays.
        {"select, then split faces",
         [](Document& d, const Notifier& n) {
             d.vertex_selection[3] = 1;
             SplitFaces(d, 0, 3, n);
         }},
        {"align", [](Document& d, const Notifier&) { AlignSelected(d, 1); }},
        {"weights", [](Document& d, const Notifier& n) { SetSelectedWeights(d); DeselectAll(d, n); }},
    };
    for (const Edit& edit : edits) {
        auto doc = test::MakeRich();
        for (size_t k : {0, 1, 2}) doc->vertex_selection[k] = 1;
        doc->selection_empty = 0;
        auto before = test::MakeRich();
        for (size_t k : {0, 1, 2}) before->vertex_selection[k] = 1;

        Recorder rec;
        ASSERT_TRUE(TakeUndoSnapshot(*doc)) << edit.name;
        edit.run(*doc, rec.notifier());
        EXPECT_NE(test::DiffModels(*before, *doc), "") << edit.name << " changed nothing";
        // Selection changes after the edit are not undone separately.
        doc->vertex_selection[5] = 1;
        ASSERT_TRUE(RestoreUndoSnapshot(*doc, rec.notifier())) << edit.name;
        EXPECT_EQ(test::DiffModels(*before, *doc), "") << edit.name;
        EXPECT_EQ(std::vector<uint8_t>(doc->vertex_selection.begin(), doc->vertex_selection.end()),
                  std::vector<uint8_t>(before->vertex_selection.begin(), before->vertex_selection.end()))
            << edit.name;
        EXPECT_FALSE(doc->selection_empty) << edit.name;
        ASSERT_FALSE(rec.split_button.empty());
        EXPECT_TRUE(rec.split_button.back()) << edit.name;
        EXPECT_EQ(rec.parts_lines_removed, static_cast<int>(rec.parts_lines.size())) << edit.name;
        EXPECT_FALSE(RestoreUndoSnapshot(*doc, rec.notifier())) << edit.name;
    }
}

TEST(Undo, AfterAPartsSplitTheNewPartsLineGoes) {
    auto doc = test::MakeTwoParts();
    for (size_t k : {4, 5, 6}) doc->vertex_selection[k] = 1;
    Recorder rec;
    TakeUndoSnapshot(*doc);
    ASSERT_TRUE(SplitParts(*doc, rec.notifier()));
    ASSERT_EQ(doc->parts_count, 3);
    RestoreUndoSnapshot(*doc, rec.notifier());
    EXPECT_EQ(doc->parts_count, 2);
    EXPECT_EQ(rec.parts_lines_removed, 1);
    // The name slot keeps its text until the next split overwrites it.
    EXPECT_STREQ(doc->parts_name[2], "no-name");
    EXPECT_EQ(doc->vertex_selection[4], 1);
}

TEST(Undo, AnEmptySelectionComesBackEmpty) {
    auto doc = test::MakeCube();
    Recorder rec;
    TakeUndoSnapshot(*doc);
    SelectAll(*doc, rec.notifier());
    RestoreUndoSnapshot(*doc, rec.notifier());
    EXPECT_TRUE(doc->selection_empty);
    EXPECT_EQ(rec.split_button, (std::vector<bool>{true, false}));
}

TEST(Undo, ALoadDiscardsTheSnapshot) {
    auto doc = test::MakeCube();
    TakeUndoSnapshot(*doc);
    ResetDocument(*doc);
    Recorder rec;
    EXPECT_FALSE(RestoreUndoSnapshot(*doc, rec.notifier()));
}

}  // namespace
}  // namespace torvel
