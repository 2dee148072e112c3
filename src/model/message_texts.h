// Every message the program shows, in one place (UTF-8; the Windows shell
// converts them to UTF-16 when it shows them).
#pragma once

#include <string>

#include "model/notifier.h"
#include "model/progress.h"

namespace torvel {

// The finished text of a message, with any number already filled in.
std::string MessageText(MessageId id);
MessageIcon MessageIconOf(MessageId id);
// The last line of a list cut short: how many lines are not shown.
std::string MoreLinesText(size_t count);

// The name of a long step, as the progress window shows it.
std::string WorkStepText(WorkStep step);
// The progress window's button.
inline constexpr char kCancelButtonText[] = "キャンセル";

}  // namespace torvel
