#include "win32/command_line.h"

#include <stdexcept>

#include "win32/wide_text.h"

namespace listsong_win32 {

namespace {

std::string utf8_argument(const std::wstring& argument, std::size_t position) {
    try {
        return utf8_of(argument);
    } catch (const std::invalid_argument&) {
        throw std::invalid_argument("argument " + std::to_string(position) +
                                    " is not valid Unicode text (it holds a lone surrogate)");
    }
}

}  // namespace

CommandLine read_command_line(const std::vector<std::wstring>& arguments) {
    CommandLine command;
    std::vector<std::string> options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string argument = utf8_argument(arguments[i], i + 1);
        if (argument == "--help") {
            command.help = true;
            continue;
        }
        options.push_back(argument);
        if (argument.starts_with("--") && i + 1 < arguments.size()) {
            ++i;
            options.push_back(utf8_argument(arguments[i], i + 1));
        }
    }
    if (!command.help) {
        command.options = songdb::parse_update_options(options);
    }
    return command;
}

}  // namespace listsong_win32
