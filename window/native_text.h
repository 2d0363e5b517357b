// Conversions between native paths and the UTF-8 texts the window shows and
// stores, the text of system errors, and the one form a folder's path takes
// before it is shown or compared.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "window/errors.h"

namespace window {

// The UTF-8 text of a native path. Throws FolderError naming `context_folder`
// when the path's name is not valid text.
std::string text_of_path(const std::filesystem::path& path,
                         const std::filesystem::path& context_folder);

std::filesystem::path path_of_text(std::string_view text);

// The failure of a folder that holds a name that is not valid text.
FolderError name_not_text(const std::filesystem::path& folder);

// The text of an error as UTF-8. Windows' own texts come in the ANSI code
// page through std::error_code::message(); they are asked for as UTF-16 here.
std::string error_text(const std::error_code& error);

// Absolute, lexically normal, with no trailing separator (a root keeps its own).
std::filesystem::path normalised_folder(const std::filesystem::path& path);

}  // namespace window
