// The help texts of listsong: the overview of its commands, and for each
// command its usage, what it does and its options.
#pragma once

#include <string>
#include <string_view>

namespace cli {

// "listsong 1.0.0": the program's name and the project's version.
std::string version_text();

// The overview of every command, for `listsong --help`.
std::string overview_text();

// Whether `name` is one of the commands that do work (help is none).
bool is_command(std::string_view name);

// A command's usage lines and options, shown under a usage error of it.
std::string command_usage(std::string_view name);

// A command's usage lines, what it does and its options, for
// `listsong help COMMAND`.
std::string command_help(std::string_view name);

}  // namespace cli
