// The editing and selection commands as one table: what each takes first
// (the undo snapshot), what follows its operation (normals, deselection,
// the PartsList back to the whole model), whether the view is drawn again
// and when the command is available. The editor's menus, toolbar and
// shortcuts and `torvel-cli edit` all run the commands through here.
#pragma once

#include <cstdint>

#include "model/document.h"
#include "model/notifier.h"

namespace torvel {

enum class EditCommand {
    SplitParts,
    SplitFaces,
    AlignX,
    AlignY,
    AlignZ,
    WeightsToOne,
    Undo,
    SelectAll,
    DeselectAll,
    InvertSelection,
    ToggleDeselectMode,
    ToggleOneSided,
};

// When a command may be chosen (the menu greys it otherwise).
enum class Availability {
    Always,
    WithSelection,  // something is selected
    WithUndo,       // an undo snapshot is there
};

struct EditCommandRule {
    EditCommand command;
    bool needs_model;        // does nothing while no model is loaded
    bool changes_model;      // the model then differs from its file (undo: as its snapshot was)
    bool takes_snapshot;     // the undo snapshot first
    bool recompute_normals;  // after the operation, also when it refused
    bool deselect_after;
    bool whole_model_after;  // the PartsList choice goes back to the whole model
    bool redraws;
    Availability availability;
};

// The rule of a command.
const EditCommandRule& RuleOf(EditCommand command);

// Whether the command may be chosen now.
bool IsAvailable(const Document& doc, EditCommand command);

struct EditArguments {
    int quad_pattern = 0;
    int triangle_pattern = 3;
    // The face split's dialog was confirmed; a cancelled one still takes the
    // snapshot and recomputes the normals, but splits nothing.
    bool confirmed = true;
};

struct EditOutcome {
    bool ran = false;            // false when the command needs a model and none is loaded
    bool toggle_state = false;   // the new state of a toggle
    bool out_of_memory = false;  // a step could not get its memory; the user was told
};

// Runs the command by its rule. Redrawing is the caller's, as the rule says.
EditOutcome RunEditCommand(Document& doc, EditCommand command, const EditArguments& arguments,
                           const Notifier& notifier);

}  // namespace torvel
