#include "cli/options.h"

#include <charconv>

namespace cli {
namespace {

int parse_code_page(const std::string& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value <= 0) {
        throw UsageError("--codepage needs a code page number, not '" + text + "'");
    }
    return value;
}

}  // namespace

Options parse_options(const std::vector<std::string>& args, bool allow_json) {
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--json" && allow_json) {
            options.json = true;
        } else if (arg == "--codepage") {
            if (i + 1 == args.size()) {
                throw UsageError("--codepage needs a code page number");
            }
            options.code_page = parse_code_page(args[++i]);
        } else if (arg.rfind("--codepage=", 0) == 0) {
            options.code_page = parse_code_page(arg.substr(11));
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw UsageError("unknown option '" + arg + "'");
        } else {
            options.positional.push_back(arg);
        }
    }
    return options;
}

}  // namespace cli
