// What the window takes on its command line: where its catalogue is, the
// code page its text is kept in, and paths for another machine. Each is
// optional; without any, the window updates LISTSONG.mdb beside the program
// in the code page the catalogue's text, or the system, shows.
//
//   --db FILE            the catalogue to update
//   --codepage N         the code page of the catalogue's text (874, 1252, ...)
//   --map-path FROM=TO   store paths under FROM as under TO (repeatable)
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "songdb/path_map.h"
#include "songdb/update.h"
#include "window/re_name_fold.h"

namespace songdb {

struct UpdateOptions {
    std::optional<std::filesystem::path> database;
    std::optional<int> code_page;
    PathMap paths;
};

// The window's usage text, one option a line.
extern const char* const kWindowUsage;

// Parses the window's arguments (the program's name left out). Throws
// std::invalid_argument naming the argument and the fix.
UpdateOptions parse_update_options(const std::vector<std::string>& args);

// The window's target under these options: an engine of its own created at
// its first use when a code page is named, the program's engine otherwise;
// the named catalogue, or program_database(window).
UpdateTarget window_target(const window::ReNameFold& window, const UpdateOptions& options);

}  // namespace songdb
