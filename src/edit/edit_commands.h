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

// Every command, one row each, from which the enum, the rules, the editor's
// menu mapping and the tool's options are all made. The columns:
//   name      the EditCommand, and Run<name> in edit_commands.cpp does it
//   menu      its menu id in resources/resource_ids.h (read by the shell only)
//   option    the `torvel-cli edit` option that runs it as it is, or nullptr
//             when the tool gives it values or has no option for it
//   then the rule (EditCommandRule below): needs model, changes model, undo
//   snapshot first, normals after, deselect after, whole model after,
//   redraws, availability.
// A new command is one row here, its Run function, and its menu item.
//
//  name                menu                       option            model  change snap   normals deselect whole  redraw availability
#define TORVEL_EDIT_COMMANDS(X)                                                                                                                  \
    X(SplitParts,         IDM_EDIT_SPLIT_PARTS,      "--split-parts",  true,  true,  true,  false,  false,   false, true,  WithSelection) \
    X(SplitFaces,         IDM_EDIT_SPLIT_FACES,      nullptr,          true,  true,  true,  true,   false,   false, true,  WithSelection) \
    X(AlignX,             IDM_EDIT_ALIGN_X,          nullptr,          true,  true,  true,  false,  false,   false, true,  WithSelection) \
    X(AlignY,             IDM_EDIT_ALIGN_Y,          nullptr,          true,  true,  true,  false,  false,   false, true,  WithSelection) \
    X(AlignZ,             IDM_EDIT_ALIGN_Z,          nullptr,          true,  true,  true,  false,  false,   false, true,  WithSelection) \
    X(WeightsToOne,       IDM_EDIT_WEIGHTS_TO_ONE,   "--weights-one",  true,  true,  true,  false,  true,    false, true,  WithSelection) \
    X(Undo,               IDM_EDIT_UNDO,             "--undo",         true,  true,  false, false,  false,   true,  true,  WithUndo)      \
    X(SelectAll,          IDM_EDIT_SELECT_ALL,       "--select-all",   true,  false, false, false,  false,   false, true,  Always)        \
    X(DeselectAll,        IDM_EDIT_DESELECT_ALL,     "--deselect-all", true,  false, false, false,  false,   false, true,  Always)        \
    X(InvertSelection,    IDM_EDIT_INVERT_SELECTION, "--invert",       true,  false, false, false,  false,   false, true,  Always)        \
    X(ToggleDeselectMode, IDM_EDIT_DESELECT_MODE,    nullptr,          false, false, false, false,  false,   false, false, Always)        \
    X(ToggleOneSided,     IDM_EDIT_ONE_SIDED,        nullptr,          false, false, false, false,  false,   false, true,  Always)

enum class EditCommand {
#define TORVEL_EDIT_COMMAND_NAME(name, ...) name,
    TORVEL_EDIT_COMMANDS(TORVEL_EDIT_COMMAND_NAME)
#undef TORVEL_EDIT_COMMAND_NAME
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
    // The memory the system can still give, which both splits are counted
    // against before they start (a test gives its own).
    uint64_t (*available_memory)() = nullptr;
};

struct EditOutcome {
    bool ran = false;            // false when the command needs a model and none is loaded
    bool toggle_state = false;   // the new state of a toggle
    bool out_of_memory = false;  // a step could not get its memory; the user was told
    bool cancelled = false;      // stopped through notifier.progress: the Document is as it was
};

// Runs the command by its rule. Redrawing is the caller's, as the rule says.
// A command that takes an undo snapshot can be stopped through
// notifier.progress until it returns: the Document is then put back as it
// was before the command (its selection and unsaved state included), and
// the undo snapshot is gone, as the command had replaced it.
EditOutcome RunEditCommand(Document& doc, EditCommand command, const EditArguments& arguments,
                           const Notifier& notifier);

}  // namespace torvel
