// torvel-cli: inspect, convert and edit YKT models from the command line.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace torvel::cli {

// Exit statuses.
inline constexpr int kOk = 0;
inline constexpr int kFailed = 1;  // the model could not be read or written
inline constexpr int kUsage = 2;   // the command line was wrong

// Runs one command; args excludes the program name.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

int RunInfo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunRender(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunEdit(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace torvel::cli
