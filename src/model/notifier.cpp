#include "model/notifier.h"

#include "model/message_texts.h"

namespace torvel {

void ShowMessage(const Notifier& notifier, MessageId id) {
    if (notifier.show_message) {
        notifier.show_message(UserMessage{id, MessageText(id), MessageIconOf(id)});
    }
}

void ShowMessageWithLines(const Notifier& notifier, MessageId id, const std::vector<std::string>& lines,
                          size_t more) {
    if (!notifier.show_message) return;
    // A message box taller than the screen hides its own OK button.
    constexpr size_t kShown = 12;
    std::string text = MessageText(id);
    if (!lines.empty() || more > 0) text += '\n';
    for (size_t k = 0; k < lines.size() && k < kShown; ++k) text += "\n・" + lines[k];
    if (lines.size() > kShown) more += lines.size() - kShown;
    if (more > 0) text += "\n・" + MoreLinesText(more);
    notifier.show_message(UserMessage{id, std::move(text), MessageIconOf(id)});
}

void SetWaitCursor(const Notifier& notifier, bool busy) {
    if (notifier.set_wait_cursor) notifier.set_wait_cursor(busy);
}

void SetPartsSplitEnabled(const Notifier& notifier, bool enabled) {
    if (notifier.set_parts_split_enabled) notifier.set_parts_split_enabled(enabled);
}

}  // namespace torvel
