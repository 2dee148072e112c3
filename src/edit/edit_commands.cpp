#include "edit/edit_commands.h"

#include <optional>

#include "edit/edit_ops.h"
#include "platform/memory_info.h"

namespace torvel {

namespace {

using A = Availability;
using C = EditCommand;

// What each command does between the rule's first and following steps.
using Operation = void (*)(Document&, const EditArguments&, const Notifier&, EditOutcome&);

void RunSplitParts(Document& doc, const EditArguments&, const Notifier& notifier, EditOutcome&) {
    SplitParts(doc, notifier);
}
void RunSplitFaces(Document& doc, const EditArguments& arguments, const Notifier& notifier, EditOutcome&) {
    if (arguments.confirmed) SplitFaces(doc, arguments.quad_pattern, arguments.triangle_pattern, notifier);
}
void RunAlignX(Document& doc, const EditArguments&, const Notifier&, EditOutcome&) {
    AlignSelected(doc, 0);
}
void RunAlignY(Document& doc, const EditArguments&, const Notifier&, EditOutcome&) {
    AlignSelected(doc, 1);
}
void RunAlignZ(Document& doc, const EditArguments&, const Notifier&, EditOutcome&) {
    AlignSelected(doc, 2);
}
void RunWeightsToOne(Document& doc, const EditArguments&, const Notifier&, EditOutcome&) {
    SetSelectedWeights(doc);
}
void RunUndo(Document& doc, const EditArguments&, const Notifier& notifier, EditOutcome&) {
    RestoreUndoSnapshot(doc, notifier);
    SetPartsSplitEnabled(notifier, !doc.selection_empty);
}
void RunSelectAll(Document& doc, const EditArguments&, const Notifier& notifier, EditOutcome&) {
    SelectAll(doc, notifier);
}
void RunDeselectAll(Document& doc, const EditArguments&, const Notifier& notifier, EditOutcome&) {
    DeselectAll(doc, notifier);
}
void RunInvertSelection(Document& doc, const EditArguments&, const Notifier& notifier, EditOutcome&) {
    InvertSelection(doc, notifier);
}
void RunToggleDeselectMode(Document& doc, const EditArguments&, const Notifier&, EditOutcome& outcome) {
    outcome.toggle_state = ToggleDeselectMode(doc);
}
void RunToggleOneSided(Document& doc, const EditArguments&, const Notifier&, EditOutcome& outcome) {
    outcome.toggle_state = ToggleOneSided(doc);
}

// What must hold before a command changes anything (no undo copy, no
// normals, nothing marked changed); false when it was refused and the user
// told why.
using Precheck = bool (*)(const Document&, const EditArguments&, const Notifier&);

uint64_t AvailableMemory(const EditArguments& arguments) {
    return arguments.available_memory != nullptr ? arguments.available_memory() : AvailableMemoryBytes();
}

// A split whose result the model could not hold, or the memory the process
// can still get could not, is refused at once: otherwise it would page for
// minutes and fail, or end the program. Both splits go by the one rule.
bool Fits(const SplitSize& size, const EditArguments& arguments, const Notifier& notifier) {
    const std::optional<MessageId> refusal = SplitRefusal(size, AvailableMemory(arguments));
    if (refusal) ShowMessage(notifier, *refusal);
    return !refusal;
}

bool FaceSplitFits(const Document& doc, const EditArguments& arguments, const Notifier& notifier) {
    if (!arguments.confirmed) return true;
    return Fits(CountFaceSplit(doc, arguments.quad_pattern, arguments.triangle_pattern), arguments, notifier);
}

bool PartsSplitFits(const Document& doc, const EditArguments& arguments, const Notifier& notifier) {
    return Fits(CountPartsSplit(doc), arguments, notifier);
}

constexpr Precheck PrecheckOf(EditCommand command) {
    return command == C::SplitFaces ? FaceSplitFits : command == C::SplitParts ? PartsSplitFits : nullptr;
}

// The step the progress window names while the command's operation runs.
constexpr WorkStep StepOf(EditCommand command) {
    return command == C::SplitFaces ? WorkStep::SplittingFaces
           : command == C::SplitParts ? WorkStep::SplittingParts
                                      : WorkStep::Editing;
}

struct CommandRow {
    EditCommandRule rule;
    Operation operate;
    Precheck precheck;
};

constexpr CommandRow kRows[] = {
#define TORVEL_EDIT_COMMAND_ROW(name, menu, option, model, change, snap, normals, deselect, whole, redraw, availability) \
    {{C::name, model, change, snap, normals, deselect, whole, redraw, A::availability}, Run##name, PrecheckOf(C::name)},
    TORVEL_EDIT_COMMANDS(TORVEL_EDIT_COMMAND_ROW)
#undef TORVEL_EDIT_COMMAND_ROW
};

const CommandRow& RowOf(EditCommand command) {
    // The rows are in the enum's order, as both come from the one list.
    return kRows[static_cast<size_t>(command)];
}

void RanOutOfMemory(EditOutcome& outcome, const Notifier& notifier) {
    if (!outcome.out_of_memory) ShowMessage(notifier, MessageId::OutOfMemory);
    outcome.out_of_memory = true;
}

}  // namespace

const EditCommandRule& RuleOf(EditCommand command) {
    return RowOf(command).rule;
}

bool IsAvailable(const Document& doc, EditCommand command) {
    switch (RuleOf(command).availability) {
    case A::Always:
        return true;
    case A::WithSelection:
        return !doc.selection_empty;
    case A::WithUndo:
        return doc.undo.present;
    }
    return true;
}

EditOutcome RunEditCommand(Document& doc, EditCommand command, const EditArguments& arguments,
                           const Notifier& notifier) {
    const EditCommandRule& rule = RuleOf(command);
    EditOutcome outcome;
    if (rule.needs_model && doc.parts_count <= 0) return outcome;
    outcome.ran = true;
    const Precheck precheck = RowOf(command).precheck;
    if (precheck != nullptr && !precheck(doc, arguments, notifier)) return outcome;
    // Without memory for the snapshot the edit still goes ahead, with
    // nothing to undo; the user is told. Only an edit whose snapshot holds
    // the Document can be stopped, for only the snapshot can put it back.
    bool snapshot = false;
    if (rule.takes_snapshot) {
        snapshot = TakeUndoSnapshot(doc);
        if (snapshot) {
            doc.undo.modified = doc.modified;
        } else {
            RanOutOfMemory(outcome, notifier);
        }
    }
    Notifier work = notifier;
    if (!snapshot) work.progress = nullptr;
    // An undo brings back the geometry of its snapshot, and with it whether
    // that geometry was the file's (read before the undo releases it); with
    // no snapshot it changes nothing. An edit that refused (a split at the
    // parts limit, a cancelled dialog) still counts as a change: the normals
    // were computed anew and the old snapshot is gone.
    const bool modified_before = doc.modified;
    const bool modified_after = command != C::Undo ? true : doc.undo.present ? doc.undo.modified : doc.modified;
    try {
        StartStep(work.progress, StepOf(command));
        RowOf(command).operate(doc, arguments, work, outcome);
        if (rule.changes_model) doc.modified = modified_after;
        if (rule.recompute_normals) {
            StartStep(work.progress, WorkStep::ComputingNormals);
            if (!RecomputeNormals(doc, work.progress)) RanOutOfMemory(outcome, notifier);
        }
        // A stop asked for after the last poll still counts.
        PollProgress(work.progress);
    } catch (const WorkCancelled&) {
        // The snapshot holds the Document as it was, unless the operation
        // stopped before it changed anything and let the snapshot go.
        if (doc.undo.present) RestoreUndoSnapshot(doc, notifier);
        doc.modified = modified_before;
        outcome.cancelled = true;
        return outcome;
    }
    if (rule.deselect_after) DeselectAll(doc, notifier);
    if (rule.whole_model_after) doc.parts_selection = 0;
    return outcome;
}

}  // namespace torvel
