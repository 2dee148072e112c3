// The command table's rules, as the editor and torvel-cli both run them.
#include <gtest/gtest.h>

#include "edit/edit_commands.h"
#include "edit/edit_ops.h"
#include "test_support.h"

#include <optional>
#include <string>

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

// A grid whose left half of quads is selected: both splits change it.
std::unique_ptr<Document> HalfSelectedGrid() {
    auto doc = test::MakeGrid(8, 4);
    for (size_t v = 0; v < doc->vertices.size(); ++v) doc->vertex_selection[v] = doc->vertices[v].x <= 4.0f;
    doc->selection_empty = 0;
    return doc;
}

// What the model, its selection and its unsaved state are.
std::string Diff(const Document& a, const Document& b) {
    std::string diff = test::DiffModels(a, b);
    if (diff.empty() && !(a.vertex_selection == b.vertex_selection)) diff = "selection";
    if (diff.empty() && a.modified != b.modified) diff = "modified";
    return diff;
}

// Both splits are counted by the one rule before anything changes: refused
// for want of memory, the model, its unsaved state and the undo stay.
TEST(EditCommands, SplitsThatCannotFitAreRefusedBeforeTheyStart) {
    for (EditCommand command : {EditCommand::SplitParts, EditCommand::SplitFaces}) {
        auto doc = HalfSelectedGrid();
        const auto before = HalfSelectedGrid();
        EditArguments arguments;
        arguments.available_memory = [] { return uint64_t{1000}; };
        Recorder r;
        const EditOutcome outcome = RunEditCommand(*doc, command, arguments, r.notifier());
        SCOPED_TRACE(static_cast<int>(command));
        EXPECT_TRUE(outcome.ran);
        EXPECT_EQ(r.ids(), std::vector<MessageId>{MessageId::SplitNeedsMoreMemory});
        EXPECT_EQ(Diff(*doc, *before), "");
        EXPECT_FALSE(doc->undo.present);
        EXPECT_TRUE(r.parts_lines.empty());
    }
    // The parts split's count is exact, and its memory fits a real machine.
    auto doc = HalfSelectedGrid();
    const SplitSize size = CountPartsSplit(*doc);
    EXPECT_EQ(SplitRefusal(size, uint64_t{1} << 30), std::nullopt);
    ASSERT_TRUE(SplitParts(*doc, Notifier{}));
    EXPECT_EQ(size.faces, doc->faces.size());
    EXPECT_EQ(size.expected_vertices, doc->vertices.size());
}

// キャンセル before the work or once it changed the model: the Document is
// as it was, the PartsList line of a split parts is taken back, and nothing
// is left to undo. Align and weights never poll: they stop at the end.
TEST(EditCommands, ACancelledEditLeavesTheDocumentAsItWas) {
    const struct {
        EditCommand command;
        bool late;  // asked for when the parts split has added its parts
    } cases[] = {
        {EditCommand::SplitParts, false}, {EditCommand::SplitParts, true},   {EditCommand::SplitFaces, false},
        {EditCommand::AlignX, false},     {EditCommand::WeightsToOne, false},
    };
    for (const auto& c : cases) {
        auto doc = HalfSelectedGrid();
        doc->modified = false;
        RunEditCommand(*doc, EditCommand::AlignY, {}, Notifier{});  // an undo to lose
        doc->modified = false;
        const auto before = HalfSelectedGrid();
        *before = *doc;
        Progress progress;
        progress.cancel = !c.late;
        Recorder r;
        Notifier n = r.notifier();
        n.progress = &progress;
        n.append_parts_line = [&](const std::string& line) {
            r.parts_lines.push_back(line);
            progress.cancel = true;
        };
        const EditOutcome outcome = RunEditCommand(*doc, c.command, {}, n);
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.command) << (c.late ? " late" : " early"));
        EXPECT_TRUE(outcome.cancelled);
        EXPECT_EQ(Diff(*doc, *before), "");
        EXPECT_EQ(doc->parts_count, before->parts_count);
        EXPECT_FALSE(doc->undo.present);
        EXPECT_EQ(r.parts_lines_removed, static_cast<int>(r.parts_lines.size()));
    }
}

}  // namespace
}  // namespace torvel
