// One parser for the command lines of all subcommands. Each subcommand gives
// a table of its options (name, whether a value follows, what to do with it)
// and what to do with the other arguments, its paths; the parser walks the
// arguments in order and stops at --help or at the first problem.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace torvel::cli {

enum class OptionValue {
    None,          // a flag
    Next,          // the next argument, whatever it looks like
    NextOrJoined,  // the next argument, or what follows the = of --name=VALUE
};

struct Option {
    const char* name;
    OptionValue value;
    // Takes the option's value ("" for a flag); false refuses it.
    std::function<bool(const std::string& value)> take;
    // Why the value was refused, or why a missing one is.
    const char* refusal = "";
};

// Takes an argument that is not an option. Returns an error text, empty
// when the argument is taken.
using PathTaker = std::function<std::string(const std::string& path)>;

enum class ParseEnd {
    Done,          // every argument taken
    Help,          // --help or -h
    Refused,       // an unknown option, a refused value or path
    MissingValue,  // an option that takes a value came last
};

struct ParseResult {
    ParseEnd end = ParseEnd::Done;
    std::string error;  // for Refused and MissingValue
};

ParseResult ParseOptions(const std::vector<std::string>& args, const std::vector<Option>& options,
                         const PathTaker& take_path);

// The taker of a subcommand that reads one model: the first path is the
// model, a second one is refused.
inline PathTaker OneModelPath(std::string& path) {
    return [&path](const std::string& a) {
        if (!path.empty()) return std::string("モデルは一つだけ指定してください");
        path = a;
        return std::string();
    };
}

// A refusal found after the arguments were walked (a path missing, say).
inline ParseResult Refuse(std::string error) {
    return {ParseEnd::Refused, std::move(error)};
}

// Ends a command line that does not run the command, the same way in every
// subcommand: the help on out with kOk, or the error and the help on err
// with kUsage.
int ReportParseEnd(const ParseResult& result, const char* help, std::ostream& out, std::ostream& err);

}  // namespace torvel::cli
