#include "app/out_of_memory.h"

#include "app/shell.h"
#include "model/notifier.h"

namespace torvel::app {

void ReportOutOfMemory() {
    static bool showing = false;
    if (showing) return;
    struct Showing {
        Showing() { showing = true; }
        ~Showing() { showing = false; }
    } scope;
    ShowMessage(ShellNotifier(), MessageId::OutOfMemory);
}

}  // namespace torvel::app
