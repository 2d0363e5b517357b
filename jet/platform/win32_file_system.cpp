// The Win32 file system: handles from CreateFileW on wide, absolute paths
// (with the \\?\ prefix, so that paths longer than 260 characters work),
// ReadFile and WriteFile at offsets, FlushFileBuffers, and LockFileEx on one
// byte far past any page for the write lock. Files are never mapped: a mapped
// file can be neither truncated nor deleted, and a mapping longer than the
// file would grow it, so the pager and the journal write with calls here.
#include <windows.h>

#include <limits>
#include <string>

#include "jet/file_system.h"
#include "jet/system_code_page.h"
#include "jet/unicode.h"

namespace jet {
namespace {

// The system's text for an error code, without its closing line end and full stop.
std::string system_text(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text = utf8_of_utf16(std::wstring_view(buffer, length));
    LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' ||
                             text.back() == '.')) {
        text.pop_back();
    }
    return text.empty() ? "Windows error " + std::to_string(error) : text;
}

FileProblem problem_of(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return FileProblem::NotFound;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return FileProblem::Exists;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return FileProblem::InUse;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            return FileProblem::ReadOnly;
        case ERROR_NOT_READY:
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_NO_MEDIA_IN_DRIVE:
            return FileProblem::NotReady;
        default:
            return FileProblem::Other;
    }
}

FileError failure(const std::filesystem::path& path, const std::string& action, DWORD error,
                  std::string reason) {
    return FileError(problem_of(error), path_text(path) + ": " + action + " (" + reason + ")",
                     reason);
}

FileError failure(const std::filesystem::path& path, const std::string& action, DWORD error) {
    return failure(path, action, error, system_text(error));
}

// The absolute form of the path with the \\?\ prefix, which lifts the limit
// of 260 characters; GetFullPathNameW turns "/" into "\" and resolves "."
// and "..", which the prefix would otherwise keep as they are.
std::wstring long_path(const std::filesystem::path& path) {
    const std::wstring& given = path.native();
    if (given.starts_with(L"\\\\?\\")) {
        return given;
    }
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetFullPathNameW(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) {
            return given;
        }
        if (length < full.size()) {
            full.resize(length);
            break;
        }
        full.resize(length);
    }
    if (full.starts_with(L"\\\\")) {
        return L"\\\\?\\UNC\\" + full.substr(2);
    }
    return L"\\\\?\\" + full;
}

OVERLAPPED at_offset(std::uint64_t offset) {
    OVERLAPPED overlapped{};
    overlapped.Offset = static_cast<DWORD>(offset);
    overlapped.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return overlapped;
}

// The largest count one ReadFile or WriteFile is given.
DWORD chunk(std::size_t remaining) {
    constexpr std::size_t kLargest = std::size_t{1} << 30;
    return static_cast<DWORD>(remaining < kLargest ? remaining : kLargest);
}

class Win32File : public File {
  public:
    Win32File(HANDLE handle, std::filesystem::path path)
        : handle_(handle), path_(std::move(path)) {}
    ~Win32File() override { CloseHandle(handle_); }

    const std::filesystem::path& path() const override { return path_; }

    std::size_t read_at(std::uint64_t offset, std::uint8_t* data, std::size_t size) override {
        std::size_t done = 0;
        while (done < size) {
            OVERLAPPED overlapped = at_offset(offset + done);
            DWORD read = 0;
            if (!ReadFile(handle_, data + done, chunk(size - done), &read, &overlapped)) {
                const DWORD error = GetLastError();
                if (error == ERROR_HANDLE_EOF) {
                    break;
                }
                throw failure(path_, "cannot read", error);
            }
            if (read == 0) {
                break;
            }
            done += read;
        }
        return done;
    }

    void write_at(std::uint64_t offset, const std::uint8_t* data, std::size_t size) override {
        std::size_t done = 0;
        while (done < size) {
            OVERLAPPED overlapped = at_offset(offset + done);
            DWORD written = 0;
            if (!WriteFile(handle_, data + done, chunk(size - done), &written, &overlapped)) {
                throw failure(path_, "cannot write", GetLastError());
            }
            if (written == 0) {
                throw failure(path_, "cannot write", ERROR_DISK_FULL);
            }
            done += written;
        }
    }

    std::uint64_t size() override {
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(handle_, &size)) {
            throw failure(path_, "cannot read the file's length", GetLastError());
        }
        return static_cast<std::uint64_t>(size.QuadPart);
    }

    void truncate(std::uint64_t length) override {
        FILE_END_OF_FILE_INFO end{};
        end.EndOfFile.QuadPart = static_cast<LONGLONG>(length);
        if (!SetFileInformationByHandle(handle_, FileEndOfFileInfo, &end, sizeof end)) {
            throw failure(path_, "cannot change the file's length", GetLastError());
        }
    }

    void sync(bool) override {
        if (!FlushFileBuffers(handle_)) {
            throw failure(path_, "cannot flush the file to disk", GetLastError());
        }
    }

    // Setting the end of the file allocates its clusters on NTFS and FAT.
    void reserve(std::uint64_t length) override {
        if (size() < length) {
            truncate(length);
        }
    }

    bool try_lock() override {
        OVERLAPPED overlapped = at_offset(kWriteLockOffset);
        if (LockFileEx(handle_, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                       &overlapped)) {
            return true;
        }
        const DWORD error = GetLastError();
        if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING) {
            return false;
        }
        throw failure(path_, "cannot lock the file", error);
    }

    bool try_lock_byte(LockByte byte, LockKind kind) override {
        OVERLAPPED overlapped = at_offset(lock_byte_offset(byte));
        const DWORD flags =
            LOCKFILE_FAIL_IMMEDIATELY | (kind == LockKind::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
        if (LockFileEx(handle_, flags, 0, 1, 0, &overlapped)) {
            return true;
        }
        const DWORD error = GetLastError();
        if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING) {
            return false;
        }
        throw failure(path_, "cannot lock the file", error);
    }

    void unlock_byte(LockByte byte) override {
        OVERLAPPED overlapped = at_offset(lock_byte_offset(byte));
        UnlockFileEx(handle_, 0, 1, 0, &overlapped);
    }

    bool overwrites_in_place() override { return false; }

    std::unique_ptr<FileMapping> map(std::uint64_t) override { return nullptr; }

  private:
    HANDLE handle_;
    std::filesystem::path path_;
};

class Win32FileSystem : public FileSystem {
  public:
    std::unique_ptr<File> open(const std::filesystem::path& path, OpenMode mode) override {
        DWORD access = GENERIC_READ | GENERIC_WRITE;
        DWORD sharing = FILE_SHARE_READ;
        DWORD disposition = OPEN_EXISTING;
        switch (mode) {
            case OpenMode::Read:
                access = GENERIC_READ;
                sharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
                break;
            case OpenMode::ReadWrite:
                break;
            case OpenMode::CreateNew:
                disposition = CREATE_NEW;
                break;
            case OpenMode::CreateOrTruncate:
                disposition = CREATE_ALWAYS;
                break;
        }
        const std::wstring name = long_path(path);
        const HANDLE handle = CreateFileW(name.c_str(), access, sharing, nullptr, disposition,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            const bool creating = mode == OpenMode::CreateNew || mode == OpenMode::CreateOrTruncate;
            const std::string action = creating ? "cannot create the file"
                                       : mode == OpenMode::ReadWrite
                                           ? "cannot open the file for writing"
                                           : "cannot open the file";
            const DWORD attributes = GetFileAttributesW(name.c_str());
            if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES) {
                if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                    throw failure(path, action, error, "it is a folder");
                }
                if (!creating && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
                    throw failure(path, action, error, "its Read-only attribute is set");
                }
            }
            throw failure(path, action, error);
        }
        return std::make_unique<Win32File>(handle, path);
    }

    bool exists(const std::filesystem::path& path) override {
        return GetFileAttributesW(long_path(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    void remove(const std::filesystem::path& path) override {
        if (!DeleteFileW(long_path(path).c_str())) {
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
                throw failure(path, "cannot delete the file", error);
            }
        }
    }

    // NTFS records changes to a folder's names in its own log before it
    // reports them done, and Windows offers no flush of a folder to programs.
    void sync_folder(const std::filesystem::path&) override {}
};

}  // namespace

FileSystem& native_file_system() {
    static Win32FileSystem file_system;
    return file_system;
}

std::string path_text(const std::filesystem::path& path) {
    return utf8_of_utf16(path.native());
}

std::optional<int> windows_ansi_code_page() {
    return static_cast<int>(GetACP());
}

}  // namespace jet
