#pragma once

#include <ostream>

#include "model/notifier.h"

namespace torvel::cli {

// Every message the editor would show in a box goes to standard error, one
// message per line, in the same words.
inline Notifier StderrNotifier(std::ostream& err) {
    Notifier n;
    n.show_message = [&err](const UserMessage& m) { err << "torvel-cli: " << m.text << '\n'; };
    return n;
}

}  // namespace torvel::cli
