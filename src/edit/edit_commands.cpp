#include "edit/edit_commands.h"

#include "edit/edit_ops.h"

namespace torvel {

namespace {

using A = Availability;
using C = EditCommand;

//                             model  change snap   normals deselect whole  redraw availability
constexpr EditCommandRule kRules[] = {
    {C::SplitParts,            true,  true,  true,  false,  false,   false, true,  A::WithSelection},
    {C::SplitFaces,            true,  true,  true,  true,   false,   false, true,  A::WithSelection},
    {C::AlignX,                true,  true,  true,  false,  false,   false, true,  A::WithSelection},
    {C::AlignY,                true,  true,  true,  false,  false,   false, true,  A::WithSelection},
    {C::AlignZ,                true,  true,  true,  false,  false,   false, true,  A::WithSelection},
    {C::WeightsToOne,          true,  true,  true,  false,  true,    false, true,  A::WithSelection},
    {C::Undo,                  true,  true,  false, false,  false,   true,  true,  A::WithUndo},
    {C::SelectAll,             true,  false, false, false,  false,   false, true,  A::Always},
    {C::DeselectAll,           true,  false, false, false,  false,   false, true,  A::Always},
    {C::InvertSelection,       true,  false, false, false,  false,   false, true,  A::Always},
    {C::ToggleDeselectMode,    false, false, false, false,  false,   false, false, A::Always},
    {C::ToggleOneSided,        false, false, false, false,  false,   false, true,  A::Always},
};

// The operation between the rule's first and following steps.
void Operate(Document& doc, EditCommand command, const EditArguments& arguments, const Notifier& notifier,
             EditOutcome& outcome) {
    switch (command) {
    case C::SplitParts:
        SplitParts(doc, notifier);
        break;
    case C::SplitFaces:
        if (arguments.confirmed) SplitFaces(doc, arguments.quad_pattern, arguments.triangle_pattern, notifier);
        break;
    case C::AlignX:
    case C::AlignY:
    case C::AlignZ:
        AlignSelected(doc, static_cast<int>(command) - static_cast<int>(C::AlignX));
        break;
    case C::WeightsToOne:
        SetSelectedWeights(doc);
        break;
    case C::Undo:
        RestoreUndoSnapshot(doc, notifier);
        SetPartsSplitEnabled(notifier, !doc.selection_empty);
        break;
    case C::SelectAll:
        SelectAll(doc, notifier);
        break;
    case C::DeselectAll:
        DeselectAll(doc, notifier);
        break;
    case C::InvertSelection:
        InvertSelection(doc, notifier);
        break;
    case C::ToggleDeselectMode:
        outcome.toggle_state = ToggleDeselectMode(doc);
        break;
    case C::ToggleOneSided:
        outcome.toggle_state = ToggleOneSided(doc);
        break;
    }
}

void RanOutOfMemory(EditOutcome& outcome, const Notifier& notifier) {
    if (!outcome.out_of_memory) ShowMessage(notifier, MessageId::OutOfMemory);
    outcome.out_of_memory = true;
}

}  // namespace

const EditCommandRule& RuleOf(EditCommand command) {
    for (const EditCommandRule& rule : kRules) {
        if (rule.command == command) return rule;
    }
    return kRules[0];
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
    // Without memory for the snapshot the edit still goes ahead, with
    // nothing to undo; the user is told.
    if (rule.takes_snapshot) {
        if (TakeUndoSnapshot(doc)) {
            doc.undo.modified = doc.modified;
        } else {
            RanOutOfMemory(outcome, notifier);
        }
    }
    // An undo brings back the geometry of its snapshot, and with it whether
    // that geometry was the file's (read before the undo releases it); with
    // no snapshot it changes nothing. An edit that refused (a split at the
    // parts limit, a cancelled dialog) still counts as a change: the normals
    // were computed anew and the old snapshot is gone.
    const bool modified_after = command != C::Undo ? true : doc.undo.present ? doc.undo.modified : doc.modified;
    Operate(doc, command, arguments, notifier, outcome);
    if (rule.changes_model) doc.modified = modified_after;
    if (rule.recompute_normals && !RecomputeNormals(doc)) RanOutOfMemory(outcome, notifier);
    if (rule.deselect_after) DeselectAll(doc, notifier);
    if (rule.whole_model_after) doc.parts_selection = 0;
    return outcome;
}

}  // namespace torvel
