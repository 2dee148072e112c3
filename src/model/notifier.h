// The narrow channel through which core operations tell the user something.
// The Windows shell fills it with message boxes and the wait cursor, the
// command-line tool with standard error, tests with a recorder. Any callback
// left empty is simply not called.
#pragma once

#include <functional>
#include <string>

namespace torvel {

enum class MessageId {
    FileMissing,       // the path does not exist
    NotYktFile,        // wrong or missing extension
    LoadFailed,        // neither reader accepted the file
    PartsLimitReached, // parts + units too many to load or split
    TooManyParts,      // a parts count of 256 or more in a file
    CannotCreateFile,  // the writer could not create the file
    CannotSaveFile,    // the writer could not write it completely
};

enum class MessageIcon { None, Error };

struct UserMessage {
    MessageId id;
    std::string text;  // UTF-8, already formatted
    MessageIcon icon;
};

struct Notifier {
    std::function<void(const UserMessage&)> show_message;
    std::function<void(bool busy)> set_wait_cursor;
};

// Formats the message's text and passes it to show_message, if set.
void ShowMessage(const Notifier& notifier, MessageId id);
void SetWaitCursor(const Notifier& notifier, bool busy);

}  // namespace torvel
