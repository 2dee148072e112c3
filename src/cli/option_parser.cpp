#include "cli/option_parser.h"

#include "cli/cli.h"

namespace torvel::cli {

namespace {

// The option an argument names, with where its value comes from; nullptr
// when none does.
const Option* Find(const std::vector<Option>& options, const std::string& arg, bool& joined) {
    for (const Option& option : options) {
        const std::string name = option.name;
        if (arg == name) {
            joined = false;
            return &option;
        }
        if (option.value == OptionValue::NextOrJoined && arg.rfind(name + "=", 0) == 0) {
            joined = true;
            return &option;
        }
    }
    return nullptr;
}

}  // namespace

ParseResult ParseOptions(const std::vector<std::string>& args, const std::vector<Option>& options,
                         const PathTaker& take_path) {
    for (size_t k = 0; k < args.size(); ++k) {
        const std::string& arg = args[k];
        if (arg == "--help" || arg == "-h") return {ParseEnd::Help, {}};
        bool joined = false;
        if (const Option* option = Find(options, arg, joined)) {
            std::string value;
            if (joined) {
                value = arg.substr(std::string(option->name).size() + 1);
            } else if (option->value != OptionValue::None) {
                if (k + 1 == args.size()) return {ParseEnd::MissingValue, option->refusal};
                value = args[++k];
            }
            if (!option->take(value)) return {ParseEnd::Refused, option->refusal};
        } else if (!arg.empty() && arg[0] == '-') {
            return {ParseEnd::Refused, "不明なオプションです: " + arg};
        } else if (std::string error = take_path(arg); !error.empty()) {
            return {ParseEnd::Refused, std::move(error)};
        }
    }
    return {};
}

int ReportParseEnd(const ParseResult& result, const char* help, std::ostream& out, std::ostream& err) {
    if (result.end == ParseEnd::Help) {
        out << help;
        return kOk;
    }
    err << "torvel-cli: " << result.error << "\n\n" << help;
    return kUsage;
}

}  // namespace torvel::cli
