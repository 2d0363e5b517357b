// The reading of folders that every folder list and file list shares: one
// listing of a folder's entries, hidden ones left out, in name order.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace window {

// Reading folders for the folder lists and file lists. Both skip hidden entries
// (a leading dot on POSIX, the hidden attribute on Windows) and return names in
// the order of name_before(). Every failure throws FolderError naming the folder:
// a folder that is missing or unreadable, or an entry whose name is not valid text.

// The full paths, as text without a trailing separator, of the direct
// sub-folders of `folder`.
std::vector<std::string> list_sub_folders(const std::filesystem::path& folder);

// The bare names of the files in `folder` that match `pattern` ("*.mid").
std::vector<std::string> list_matching_files(const std::filesystem::path& folder,
                                             std::string_view pattern);

}  // namespace window
