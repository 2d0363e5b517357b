// The arguments every listsong command shares: the names it is given, --json and
// --codepage (`listsong add` takes its folders first, add_options.h), and
// UsageError, how a command refuses a command line it cannot run.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace cli {

// A command line the program cannot run: printed with the usage text, exit 2.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct Options {
    std::vector<std::string> positional;
    bool json = false;
    std::optional<int> code_page;
};

// Parses the arguments after the command name. `allow_json` says whether the
// command takes --json. Throws UsageError.
Options parse_options(const std::vector<std::string>& args, bool allow_json);

}  // namespace cli
