// The limit that both splits check first: parts and units share the
// combined parent table of 256 entries.
#pragma once

#include "model/document.h"
#include "model/notifier.h"

namespace torvel {

// A split that brings parts + units to 256 is the last one allowed: it is
// announced and goes ahead; beyond that the split is refused.
inline bool CheckPartsLimit(const Document& doc, const Notifier& notifier) {
    const int sum = doc.parts_count + doc.unit_count;
    if (sum == kMaxCount) ShowMessage(notifier, MessageId::PartsLimitWarning);
    if (sum > kMaxCount) {
        ShowMessage(notifier, MessageId::PartsLimitReached);
        return false;
    }
    return true;
}

}  // namespace torvel
