#include "window/folder_reader.h"

#include <string>

#ifdef _WIN32
#include <windows.h>

#include "jet/unicode.h"
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#endif

namespace window {

namespace fs = std::filesystem;

#ifdef _WIN32

namespace {

std::error_code last_error() {
    return {static_cast<int>(GetLastError()), std::system_category()};
}

bool not_found(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Follows a symbolic link (or any other reparse point) to what it names:
// its attributes, or INVALID_FILE_ATTRIBUTES when it names nothing.
DWORD target_attributes(const fs::path& path, std::error_code& error) {
    const HANDLE target = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (target == INVALID_HANDLE_VALUE) {
        if (!not_found(GetLastError())) {
            error = last_error();
        }
        return INVALID_FILE_ATTRIBUTES;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    const bool read = GetFileInformationByHandle(target, &information) != 0;
    if (!read) {
        error = last_error();
    }
    CloseHandle(target);
    return read ? information.dwFileAttributes : INVALID_FILE_ATTRIBUTES;
}

}  // namespace

std::error_code read_folder(const fs::path& folder,
                            const std::function<void(const ListedEntry&)>& each) {
    const fs::path pattern = folder / L"*";
    WIN32_FIND_DATAW found{};
    const HANDLE search =
        FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                         FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // An empty root has no "." to find.
        std::error_code is_folder_error;
        return error == ERROR_FILE_NOT_FOUND && fs::is_directory(folder, is_folder_error)
                   ? std::error_code()
                   : std::error_code(static_cast<int>(error), std::system_category());
    }
    const std::size_t folder_length = (folder / L"x").native().size() - 1;
    std::string name;
    std::error_code stopped;
    do {
        const std::wstring_view wide_name(found.cFileName);
        if (wide_name == L"." || wide_name == L"..") {
            continue;
        }
        DWORD attributes = found.dwFileAttributes;
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            attributes = target_attributes(folder / wide_name, stopped);
            if (stopped) {
                break;
            }
        }
        ListedEntry entry;
        name.clear();
        entry.name_is_text = jet::append_utf8_of_utf16(name, wide_name);
        entry.name = name;
        entry.native_path_length = folder_length + wide_name.size();
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            entry.is_folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            entry.is_file = !entry.is_folder && (attributes & FILE_ATTRIBUTE_DEVICE) == 0;
        }
        entry.hidden = (found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
        each(entry);
    } while (FindNextFileW(search, &found));
    if (!stopped && GetLastError() != ERROR_NO_MORE_FILES) {
        stopped = last_error();
    }
    FindClose(search);
    return stopped;
}

#else

namespace {

std::error_code errno_code() {
    return {errno, std::generic_category()};
}

// Closes the folder whatever way the listing ends.
class OpenFolder {
  public:
    explicit OpenFolder(DIR* folder) : folder_(folder) {}
    ~OpenFolder() { closedir(folder_); }
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;
    DIR* get() const { return folder_; }

  private:
    DIR* folder_;
};

}  // namespace

std::error_code read_folder(const fs::path& folder,
                            const std::function<void(const ListedEntry&)>& each) {
    DIR* opened = opendir(folder.c_str());
    if (opened == nullptr) {
        return errno_code();
    }
    const OpenFolder listing(opened);
    const std::size_t folder_length = (folder / "x").native().size() - 1;
    for (;;) {
        errno = 0;
        const dirent* found = readdir(listing.get());
        if (found == nullptr) {
            return errno_code();
        }
        const std::string_view name(found->d_name);
        if (name == "." || name == "..") {
            continue;
        }
        ListedEntry entry;
        entry.name = name;
        entry.native_path_length = folder_length + name.size();
        entry.hidden = name.starts_with('.');
        unsigned char type = found->d_type;
        if (type == DT_LNK || type == DT_UNKNOWN) {
            struct stat target {};
            if (fstatat(dirfd(listing.get()), found->d_name, &target, 0) == 0) {
                type = S_ISDIR(target.st_mode) ? DT_DIR : S_ISREG(target.st_mode) ? DT_REG : 0;
            } else if (errno == ENOENT) {
                type = 0;
            } else {
                return errno_code();
            }
        }
        entry.is_folder = type == DT_DIR;
        entry.is_file = type == DT_REG;
        each(entry);
    }
}

#endif

}  // namespace window
