#include "window/folder_listing.h"

#include <algorithm>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#endif

#include "window/errors.h"
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
void check_reachable(const fs::path& path, const fs::path& folder) {
#ifdef _WIN32
    constexpr std::size_t kLongestPath = MAX_PATH - 1;
    if (path.native().size() > kLongestPath) {
        const std::string what = path == folder
                                     ? "has a path"
                                     : "holds \"" + path.filename().string() + "\", whose path is";
        throw FolderError("Folder \"" + folder.string() + "\" " + what + " longer than the " +
                          std::to_string(kLongestPath) +
                          " characters Windows programs can open; move the folders nearer the "
                          "drive's root");
    }
#else
    (void)path;
    (void)folder;
#endif
}

bool is_hidden(const fs::directory_entry& entry) {
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesW(entry.path().c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
#else
    return entry.path().filename().native().starts_with('.');
#endif
}

// The entry's name as bytes, before any check that it is valid text, so that
// a file the pattern skips never fails the listing.
std::string raw_name(const fs::directory_entry& entry) {
#ifdef _WIN32
    const std::u8string name = entry.path().filename().u8string();
    return std::string(name.begin(), name.end());
#else
    return entry.path().filename().native();
#endif
}

// Whether the entry is of `kind`, following symbolic links. The entry's own
// type, as the folder's listing gave it, answers without a call to the file
// system; only a symbolic link, or an entry whose type the listing does not
// give, is looked up. An entry that vanished while the folder was read, or a
// link to nothing, is neither.
bool is_of_kind(const fs::directory_entry& entry, EntryKind kind, const fs::path& folder) {
    std::error_code error;
    const bool of_kind =
        kind == EntryKind::folder ? entry.is_directory(error) : entry.is_regular_file(error);
    if (error && error != std::errc::no_such_file_or_directory) {
        throw unreadable(folder, error);
    }
    return of_kind;
}

// (name, listed text) of every visible entry of `kind` whose name passes `wanted`.
template <typename Wanted>
std::vector<std::pair<std::string, std::string>> read_entries(const fs::path& folder,
                                                              EntryKind kind, Wanted wanted) {
    check_reachable(folder, folder);
    std::error_code error;
    fs::directory_iterator it(folder, error);
    if (error) {
        throw unreadable(folder, error);
    }
    std::vector<std::pair<std::string, std::string>> entries;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error) {
            throw unreadable(folder, error);
        }
        const fs::directory_entry& entry = *it;
        if (!wanted(raw_name(entry))) {
            continue;
        }
        check_reachable(entry.path(), folder);
        if (is_hidden(entry) || !is_of_kind(entry, kind, folder)) {
            continue;
        }
        std::string name = text_of_path(entry.path().filename(), folder);
        std::string listed = kind == EntryKind::folder ? text_of_path(entry.path(), folder) : name;
        entries.emplace_back(std::move(name), std::move(listed));
    }
    if (error) {
        throw unreadable(folder, error);
    }
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return name_before(a.first, b.first); });
    return entries;
}

std::vector<std::string> listed_texts(std::vector<std::pair<std::string, std::string>> entries) {
    std::vector<std::string> texts;
    texts.reserve(entries.size());
    for (auto& entry : entries) {
        texts.push_back(std::move(entry.second));
    }
    return texts;
}

}  // namespace

std::vector<std::string> list_sub_folders(const fs::path& folder) {
    return listed_texts(
        read_entries(folder, EntryKind::folder, [](const std::string&) { return true; }));
}

std::vector<std::string> list_matching_files(const fs::path& folder, std::string_view pattern) {
    return listed_texts(read_entries(folder, EntryKind::file, [pattern](const std::string& name) {
        return matches_pattern(name, pattern);
    }));
}

}  // namespace window
