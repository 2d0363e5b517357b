// The window's command line holds its own options (songdb/update_options.h),
// --help, and the options of Qt itself (-platform NAME, -style NAME, ...),
// which QApplication takes out of the arguments it is given. Sorting them
// apart before the display opens lets --help and a wrong option of the
// window's own answer without a display.
#pragma once

#include <string>
#include <vector>

namespace listsong_qt {

struct WindowArguments {
    // --help stood where an option may stand.
    bool help = false;
    // The window's own options with their values, in order, and every
    // argument that belongs to no option: songdb::parse_update_options
    // refuses what it does not know.
    std::vector<std::string> own;
    // Qt's share, in order: each argument with a single leading dash, and the
    // argument after it unless that begins with a dash (a possible value).
    // What QApplication leaves of them is an argument nobody knows.
    std::vector<std::string> toolkit;
};

// Sorts the program's arguments (its name left out). An argument beginning
// with "--" is the window's and takes the next one as its value, as every
// option of the window but --help does.
WindowArguments sort_window_arguments(const std::vector<std::string>& args);

}  // namespace listsong_qt
