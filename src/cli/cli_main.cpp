#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "platform/command_line.h"
#include "platform/file_system.h"

int main(int argc, char** argv) {
    torvel::PrepareUtf8Console();
    torvel::InstallInterruptCleanup();
    // Paths and texts as UTF-8 on Windows, the text of its console.
    const std::vector<std::string> args = torvel::ProgramArguments(argc, argv);
    const int status = torvel::cli::RunCli(args, std::cout, std::cerr);
    std::cout.flush();
    return status;
}
