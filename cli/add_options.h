// The command line of `listsong add`:
//   --midi DIR --cur DIR --lyr DIR [--db FILE] [--codepage N] [--map-path FROM=TO]...
// Each option with a value takes it as the next argument or after '='.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "songdb/path_map.h"

namespace cli {

struct AddOptions {
    std::string midi;  // the three folders, as given
    std::string cur;
    std::string lyr;
    std::filesystem::path database;  // --db, or LISTSONG.mdb beside the program
    std::optional<int> code_page;
    songdb::PathMap paths;
};

// One of the three folders add takes: the option that names it and the files
// its sub-folders hold, for messages.
struct FolderOption {
    std::string AddOptions::*folder;
    const char* option;  // "--midi"
    const char* files;   // "MIDI"
};

// --midi, --cur and --lyr, in the order of the window's three folder lists.
extern const std::array<FolderOption, 3> kFolderOptions;

// Parses the arguments after "add". Throws UsageError naming the argument at
// fault and what to write instead.
AddOptions parse_add_options(const std::vector<std::string>& args);

}  // namespace cli
