// Where the running program's own file lies.
#pragma once

#include <filesystem>

namespace songdb {

// The folder that holds the running program's file. Throws when the system
// does not tell it.
std::filesystem::path running_program_folder();

}  // namespace songdb
