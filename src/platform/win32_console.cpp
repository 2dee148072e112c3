#include <windows.h>

#include "platform/file_system.h"

namespace torvel {

void PrepareUtf8Console() {
    SetConsoleOutputCP(CP_UTF8);
}

}  // namespace torvel
