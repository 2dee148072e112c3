// The command table's rules, as the editor and torvel-cli both run them.
#include <gtest/gtest.h>

#include "edit/edit_commands.h"
#include "edit/edit_ops.h"
#include "test_support.h"

namespace torvel {
namespace {

using test::Recorder;

// Each editing command takes the snapshot first and leaves what its rule
// says after it: normals (also after a cancelled face split), nothing
// selected after the weights, the whole model chosen after an undo.
TEST(EditCommands, EachCommandDoesWhatItsRuleSays) {
    const struct {
        EditCommand command;
        bool confirmed;
        bool snapshot;
        bool normals;
        bool deselected;
        bool whole_model;
        bool modified;
    } cases[] = {
        {EditCommand::SplitParts, true, true, false, false, false, true},
        {EditCommand::SplitFaces, false, true, true, false, false, true},
        {EditCommand::AlignY, true, true, false, false, false, true},
        {EditCommand::WeightsToOne, true, true, false, true, false, true},
        {EditCommand::Undo, true, false, false, false, true, false},  // nothing to undo
        {EditCommand::SelectAll, true, false, false, false, false, false},
        {EditCommand::InvertSelection, true, false, false, false, false, false},
        {EditCommand::ToggleOneSided, true, false, false, false, false, false},
    };
    for (const auto& c : cases) {
        auto doc = test::MakeCube();
        doc->vertex_selection[0] = 1;
        doc->selection_empty = 0;
        doc->parts_selection = 1;
        doc->normals[0] = {5, 5, 5};  // recomputed normals are unit vectors
        EditArguments arguments;
        arguments.confirmed = c.confirmed;
        Recorder r;
        const EditOutcome outcome = RunEditCommand(*doc, c.command, arguments, r.notifier());
        SCOPED_TRACE(static_cast<int>(c.command));
        EXPECT_TRUE(outcome.ran);
        EXPECT_FALSE(outcome.out_of_memory);
        EXPECT_EQ(doc->undo.present, c.snapshot);
        EXPECT_EQ(doc->normals[0].x != 5.0f, c.normals);
        EXPECT_EQ(doc->selection_empty != 0, c.deselected);
        EXPECT_EQ(doc->parts_selection == 0, c.whole_model);
        EXPECT_EQ(doc->modified, c.modified);
    }
}

// An undo returns to whether its snapshot's geometry was the file's: back
// to unmodified after one edit of a saved model, still modified after two.
TEST(EditCommands, UndoBringsBackTheModifiedFlagOfItsSnapshot) {
    const struct {
        int edits;
        bool after_undo;
    } cases[] = {{1, false}, {2, true}};
    for (const auto& c : cases) {
        auto doc = test::MakeCube();
        RunEditCommand(*doc, EditCommand::SelectAll, {}, Notifier{});
        for (int k = 0; k < c.edits; ++k) RunEditCommand(*doc, EditCommand::AlignX, {}, Notifier{});
        EXPECT_TRUE(doc->modified);
        RunEditCommand(*doc, EditCommand::Undo, {}, Notifier{});
        EXPECT_EQ(doc->modified, c.after_undo) << c.edits << " edits";
        RunEditCommand(*doc, EditCommand::Undo, {}, Notifier{});  // nothing left to undo
        EXPECT_EQ(doc->modified, c.after_undo) << c.edits << " edits";
    }
}

TEST(EditCommands, TogglesAreTheirOwnTruthAndEditsNeedAModel) {
    auto doc = test::MakeCube();
    EXPECT_TRUE(RunEditCommand(*doc, EditCommand::ToggleOneSided, {}, Notifier{}).toggle_state);
    EXPECT_FALSE(RunEditCommand(*doc, EditCommand::ToggleOneSided, {}, Notifier{}).toggle_state);
    EXPECT_TRUE(RunEditCommand(*doc, EditCommand::ToggleDeselectMode, {}, Notifier{}).toggle_state);
    EXPECT_EQ(doc->deselect_mode, 1);

    auto empty = NewDocument();
    empty->selection_empty = 1;
    EXPECT_FALSE(RunEditCommand(*empty, EditCommand::SelectAll, {}, Notifier{}).ran);
    EXPECT_EQ(empty->selection_empty, 1);
}

TEST(EditCommands, AvailabilityFollowsSelectionAndUndo) {
    auto doc = test::MakeCube();
    doc->selection_empty = 1;
    EXPECT_FALSE(IsAvailable(*doc, EditCommand::SplitFaces));
    EXPECT_FALSE(IsAvailable(*doc, EditCommand::Undo));
    EXPECT_TRUE(IsAvailable(*doc, EditCommand::InvertSelection));
    RunEditCommand(*doc, EditCommand::SelectAll, {}, Notifier{});
    EXPECT_TRUE(IsAvailable(*doc, EditCommand::AlignZ));
    RunEditCommand(*doc, EditCommand::AlignZ, {}, Notifier{});
    EXPECT_TRUE(IsAvailable(*doc, EditCommand::Undo));
}

}  // namespace
}  // namespace torvel
