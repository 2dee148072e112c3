#include <windows.h>
#include <shellapi.h>

#include "platform/command_line.h"
#include "platform/file_path.h"

namespace torvel {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    // Without the wide command line the runtime's own splitting is all there is.
    if (wide == nullptr) return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
    std::vector<std::string> args;
    for (int k = 1; k < count; ++k) args.push_back(Utf8Text(FilePath(std::filesystem::path(wide[k]))));
    LocalFree(wide);
    return args;
}

}  // namespace torvel
