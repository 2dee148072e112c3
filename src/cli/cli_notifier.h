#pragma once

#include <ostream>

#include "model/notifier.h"

namespace torvel::cli {

// Every message the editor would show in a box goes to standard error, one
// message per line, in the same words. When out_of_memory is given it is set
// as soon as an operation reports that it ran out of memory: the tool then
// fails and writes nothing.
inline Notifier StderrNotifier(std::ostream& err, bool* out_of_memory = nullptr) {
    Notifier n;
    n.show_message = [&err, out_of_memory](const UserMessage& m) {
        err << "torvel-cli: " << m.text << '\n';
        if (out_of_memory != nullptr && m.id == MessageId::OutOfMemory) *out_of_memory = true;
    };
    return n;
}

}  // namespace torvel::cli
