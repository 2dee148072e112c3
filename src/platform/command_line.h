// The program's arguments as the command-line tool takes them.
#pragma once

#include <string>
#include <vector>

namespace torvel {

// The arguments after the program's name. On Windows they are read from the
// system's UTF-16 command line and given as UTF-8, so that every path
// arrives whole (argv holds them in the ANSI code page, which cannot name
// every file); elsewhere they are argv as it is.
std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace torvel
