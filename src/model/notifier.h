// The narrow channel through which core operations tell the user something.
// The Windows shell fills it with message boxes and the wait cursor, the
// command-line tool with standard error, tests with a recorder. Any callback
// left empty is simply not called.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "model/progress.h"

namespace torvel {

enum class MessageId {
    FileMissing,       // the path does not exist
    NotYktFile,        // wrong or missing extension
    LoadFailed,        // neither reader accepted the file
    PartsLimitReached, // parts + units too many to load or split
    TooManyParts,      // a parts count of 256 or more in a file
    CannotCreateFile,  // the writer could not create the file
    CannotSaveFile,    // the writer could not write it completely
    PartsLimitWarning, // this split brings parts + units to the limit
    NothingSelected,   // no face has all its corners selected
    OutOfMemory,       // an operation could not get its working memory
    FileTruncated,     // a binary file ended early; what was read so far stands
    FatalFault,        // the program hit an internal fault and ends
    SaveChanges,       // the editor asks before unsaved changes would go
    SplitTooLarge,     // a split would make more vertices or faces than a model holds
    SplitNeedsMoreMemory,  // a split would need more memory than the system can give
    ImportNotes,       // heads the list of what an import read differently
    ExportNotes,       // heads the list of what an export could not write as it is
};

enum class MessageIcon { None, Error, Warning };

// The core only tells (OK); the editor's shell also asks the user to choose.
enum class MessageButtons { Ok, YesNoCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };

struct UserMessage {
    MessageId id;
    std::string text;  // UTF-8, already formatted
    MessageIcon icon;
    MessageButtons buttons = MessageButtons::Ok;
};

struct Notifier {
    std::function<void(const UserMessage&)> show_message;
    std::function<void(bool busy)> set_wait_cursor;
    // The toolbar's parts-split button: enabled exactly while something is
    // selected (selection_empty false).
    std::function<void(bool enabled)> set_parts_split_enabled;
    // The PartsList: a parts split appends its new parts' line; an undo
    // removes the last `count` lines (the parts the undone edit added).
    std::function<void(const std::string& name)> append_parts_line;
    std::function<void(int count)> remove_parts_lines;
    // Long work reports its progress here and stops when asked (see
    // progress.h); without it the work runs to its end.
    Progress* progress = nullptr;
};

// Formats the message's text and passes it to show_message, if set.
void ShowMessage(const Notifier& notifier, MessageId id);
// The message's text followed by one line per entry of `lines` (a reader's
// reasons, a format's notes), in one box: at most a screenful of them, the
// rest and `more` counted on a last line.
void ShowMessageWithLines(const Notifier& notifier, MessageId id, const std::vector<std::string>& lines,
                          size_t more = 0);
void SetWaitCursor(const Notifier& notifier, bool busy);
void SetPartsSplitEnabled(const Notifier& notifier, bool enabled);

}  // namespace torvel
