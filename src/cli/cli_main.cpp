#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "platform/file_system.h"

int main(int argc, char** argv) {
    torvel::PrepareUtf8Console();
    torvel::InstallInterruptCleanup();
    std::vector<std::string> args(argv + 1, argv + argc);
    const int status = torvel::cli::RunCli(args, std::cout, std::cerr);
    std::cout.flush();
    return status;
}
