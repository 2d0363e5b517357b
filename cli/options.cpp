#include "cli/options.h"

#include <charconv>

#include "jet/codepage.h"

namespace cli {
namespace {

constexpr const char* kSupportedCodePages = "874 (Thai), 1250 to 1258";

int parse_code_page(const std::string& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() ||
        !jet::CodePage::supported(value)) {
        throw UsageError("'" + text + "' is no code page listsong knows: give --codepage one of " +
                         kSupportedCodePages);
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
                throw UsageError(
                    std::string("--codepage needs a value: write --codepage N, N one of ") +
                    kSupportedCodePages);
            }
            options.code_page = parse_code_page(args[++i]);
        } else if (arg.rfind("--codepage=", 0) == 0) {
            options.code_page = parse_code_page(arg.substr(11));
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw UsageError("unknown option '" + arg + "': use the options listed below");
        } else {
            options.positional.push_back(arg);
        }
    }
    return options;
}

}  // namespace cli
