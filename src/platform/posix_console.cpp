#include "platform/file_system.h"

namespace torvel {

void PrepareUtf8Console() {}

}  // namespace torvel
