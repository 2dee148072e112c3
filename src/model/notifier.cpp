#include "model/notifier.h"

#include "model/message_texts.h"

namespace torvel {

void ShowMessage(const Notifier& notifier, MessageId id) {
    if (notifier.show_message) {
        notifier.show_message(UserMessage{id, MessageText(id), MessageIconOf(id)});
    }
}

void SetWaitCursor(const Notifier& notifier, bool busy) {
    if (notifier.set_wait_cursor) notifier.set_wait_cursor(busy);
}

void SetPartsSplitEnabled(const Notifier& notifier, bool enabled) {
    if (notifier.set_parts_split_enabled) notifier.set_parts_split_enabled(enabled);
}

}  // namespace torvel
