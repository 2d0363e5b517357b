#include "window/folder_listing.h"

#include <algorithm>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

#include "jet/unicode.h"
#include "window/errors.h"
#include "window/folder_reader.h"
#include "window/name_order.h"
#include "window/native_text.h"

namespace window {

namespace fs = std::filesystem;

namespace {

enum class EntryKind { folder, file };

FolderError unreadable(const fs::path& folder, const std::error_code& cause) {
    return FolderError("Folder \"" + folder.string() + "\" cannot be listed: " + error_text(cause));
}

// Windows programs that take no care of long paths, the player among them,
// reach no file whose full path has 260 characters or more; Windows' own
// listing skips the entries below such a folder without a word.
// `native_length` is the length of the path of `folder` itself, or of its
// entry `entry_name`, in the system's own characters.
void check_reachable(std::size_t native_length, const fs::path& folder,
                     std::string_view entry_name) {
#ifdef _WIN32
    constexpr std::size_t kLongestPath = MAX_PATH - 1;
    if (native_length > kLongestPath) {
        const std::string what = entry_name.empty()
                                     ? "has a path"
                                     : "holds \"" + std::string(entry_name) + "\", whose path is";
        throw FolderError("Folder \"" + folder.string() + "\" " + what + " longer than the " +
                          std::to_string(kLongestPath) +
                          " characters Windows programs can open; move the folders nearer the "
                          "drive's root");
    }
#else
    (void)native_length;
    (void)folder;
    (void)entry_name;
#endif
}

// The names of the visible entries of `kind` that pass `wanted`, in the
// order of name_before().
template <typename Wanted>
std::vector<std::string> read_entries(const fs::path& folder, EntryKind kind, Wanted wanted) {
    check_reachable(folder.native().size(), folder, {});
    std::vector<std::string> names;
    const std::error_code error = read_folder(folder, [&](const ListedEntry& entry) {
        if (!wanted(entry.name)) {
            return;
        }
        check_reachable(entry.native_path_length, folder, entry.name);
        if (entry.hidden || !(kind == EntryKind::folder ? entry.is_folder : entry.is_file)) {
            return;
        }
        if (!entry.name_is_text || !jet::is_valid_utf8(entry.name)) {
            throw name_not_text(folder);
        }
        names.emplace_back(entry.name);
    });
    if (error) {
        throw unreadable(folder, error);
    }
    std::sort(names.begin(), names.end(), name_before);
    return names;
}

}  // namespace

std::vector<std::string> list_sub_folders(const fs::path& folder) {
    std::vector<std::string> texts =
        read_entries(folder, EntryKind::folder, [](std::string_view) { return true; });
    for (std::string& text : texts) {
        text = text_of_path(folder / path_of_text(text), folder);
    }
    return texts;
}

std::vector<std::string> list_matching_files(const fs::path& folder, std::string_view pattern) {
    return read_entries(folder, EntryKind::file, [pattern](std::string_view name) {
        return matches_pattern(name, pattern);
    });
}

}  // namespace window
