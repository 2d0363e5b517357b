// The window's command line: its own options (songdb/update_options.h) and
// --help, handed over by Windows as UTF-16.
#pragma once

#include <string>
#include <vector>

#include "songdb/update_options.h"

namespace listsong_win32 {

struct CommandLine {
    // --help stood where an option may stand: the usage is all that is asked.
    bool help = false;
    songdb::UpdateOptions options;
};

// Reads the program's arguments (its name left out). Every option of the
// window takes the argument after it as its value, so "--help" is a value
// there. Throws std::invalid_argument naming the argument and the fix: one
// that is not valid Unicode text, or that the window does not take.
CommandLine read_command_line(const std::vector<std::wstring>& arguments);

}  // namespace listsong_win32
