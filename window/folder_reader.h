// One pass over a folder's entries with what the system's listing tells of
// each (its kind, whether it is hidden), so that a folder of thousands of
// songs is read without a call to the file system per entry.
#pragma once

#include <filesystem>
#include <functional>
#include <string_view>
#include <system_error>

namespace window {

// An entry of a folder, valid during the call that hands it over.
struct ListedEntry {
    // The entry's name: its bytes on POSIX, UTF-8 on Windows (where a name
    // that is not valid UTF-16 comes with `name_is_text` false and its bad
    // characters replaced, so that it can still be matched against a pattern).
    std::string_view name;
    bool name_is_text = true;
    // The length of the entry's full path in the system's own characters.
    std::size_t native_path_length = 0;
    // What the entry is, a symbolic link followed to its target; a link to
    // nothing, or an entry that vanished while the folder was read, is neither.
    bool is_folder = false;
    bool is_file = false;
    // A leading dot on POSIX, the hidden attribute on Windows.
    bool hidden = false;
};

// Hands each entry of `folder` but "." and ".." to `each`, in the listing's
// order. Returns the error that stopped the listing, or none: a folder that
// cannot be opened or read, or an entry whose kind cannot be looked up.
std::error_code read_folder(const std::filesystem::path& folder,
                            const std::function<void(const ListedEntry&)>& each);

}  // namespace window
