// Where the running program's own file lies: `listsong add` and the Windows
// window look there for their catalogue, LISTSONG.mdb, when none is named.
#pragma once

#include <filesystem>

namespace songdb {

// The folder that holds the running program's file. Throws when the system
// does not tell it.
std::filesystem::path running_program_folder();

}  // namespace songdb
