// The POSIX file system: descriptors with pread and pwrite, mmap where the
// file system overwrites in place. The write lock is taken twice: flock on
// the whole file, which every earlier version of the engine takes, and a
// record lock of the open file on the byte at kWriteLockOffset, which is
// where Windows programs under Wine lock. The commit and pending locks are
// record locks of the open file too, shared or exclusive, on the bytes after
// it.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/vfs.h>
#endif

#include <cerrno>
#include <cstring>

#include "jet/file_system.h"
#include "jet/system_code_page.h"

namespace jet {
namespace {

FileProblem problem_of(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return FileProblem::NotFound;
        case EEXIST:
            return FileProblem::Exists;
        case EWOULDBLOCK:
        case ETXTBSY:
            return FileProblem::InUse;
        case EACCES:
        case EPERM:
        case EROFS:
            return FileProblem::ReadOnly;
#ifdef ENOMEDIUM
        case ENOMEDIUM:
#endif
        case ENXIO:
            return FileProblem::NotReady;
        default:
            return FileProblem::Other;
    }
}

// The failure errno describes, of `action` on `path`.
FileError failure(const std::filesystem::path& path, const std::string& action, int error) {
    const std::string reason = std::strerror(error);
    return FileError(problem_of(error), path_text(path) + ": " + action + " (" + reason + ")",
                     reason);
}

class PosixMapping : public FileMapping {
  public:
    PosixMapping(std::uint8_t* data, std::size_t length, std::filesystem::path path)
        : data_(data), length_(length), path_(std::move(path)) {}
    ~PosixMapping() override { ::munmap(data_, length_); }

    std::uint8_t* data() override { return data_; }

    void flush(std::size_t length) override {
        if (length > 0 && ::msync(data_, length, MS_SYNC) != 0) {
            throw failure(path_, "cannot flush the file to disk", errno);
        }
    }

    // The kernel rounds the length to whole pages; where it declines, the
    // pages merely stay mapped.
    void release(std::size_t length) override { ::madvise(data_, length, MADV_DONTNEED); }

  private:
    std::uint8_t* data_;
    std::size_t length_;
    std::filesystem::path path_;
};

class PosixFile : public File {
  public:
    PosixFile(int fd, std::filesystem::path path) : fd_(fd), path_(std::move(path)) {}
    ~PosixFile() override { ::close(fd_); }

    const std::filesystem::path& path() const override { return path_; }

    std::size_t read_at(std::uint64_t offset, std::uint8_t* data, std::size_t size) override {
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n =
                ::pread(fd_, data + done, size - done, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                throw failure(path_, "cannot read", errno);
            }
            if (n == 0) {
                break;
            }
            done += static_cast<std::size_t>(n);
        }
        return done;
    }

    void write_at(std::uint64_t offset, const std::uint8_t* data, std::size_t size) override {
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n =
                ::pwrite(fd_, data + done, size - done, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                throw failure(path_, "cannot write", n < 0 ? errno : ENOSPC);
            }
            done += static_cast<std::size_t>(n);
        }
    }

    std::uint64_t size() override {
        struct stat info {};
        if (::fstat(fd_, &info) != 0) {
            throw failure(path_, "cannot read the file's length", errno);
        }
        return static_cast<std::uint64_t>(info.st_size);
    }

    void truncate(std::uint64_t length) override {
        if (::ftruncate(fd_, static_cast<off_t>(length)) != 0) {
            throw failure(path_, "cannot change the file's length", errno);
        }
    }

    void sync(bool metadata) override {
        if ((metadata ? ::fsync(fd_) : ::fdatasync(fd_)) != 0) {
            throw failure(path_, "cannot flush the file to disk", errno);
        }
    }

    void reserve(std::uint64_t length) override {
        const int error = ::posix_fallocate(fd_, 0, static_cast<off_t>(length));
        if (error != 0) {
            throw failure(path_, "cannot make room in the file", error);
        }
    }

    bool try_lock() override {
        if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            if (errno == EWOULDBLOCK) {
                return false;
            }
            throw failure(path_, "cannot lock the file", errno);
        }
#ifdef F_OFD_SETLK
        struct flock byte {};
        byte.l_type = F_WRLCK;
        byte.l_whence = SEEK_SET;
        byte.l_start = static_cast<off_t>(kWriteLockOffset);
        byte.l_len = 1;
        if (::fcntl(fd_, F_OFD_SETLK, &byte) != 0) {
            const int error = errno;
            ::flock(fd_, LOCK_UN);
            if (error == EAGAIN || error == EACCES) {
                return false;
            }
            throw failure(path_, "cannot lock the file", error);
        }
#endif
        return true;
    }

    bool try_lock_byte(LockByte byte, LockKind kind) override {
#ifdef F_OFD_SETLK
        return set_byte_lock(byte, kind == LockKind::Shared ? F_RDLCK : F_WRLCK);
#else
        (void)byte;
        (void)kind;
        return true;
#endif
    }

    void unlock_byte(LockByte byte) override {
#ifdef F_OFD_SETLK
        set_byte_lock(byte, F_UNLCK);
#else
        (void)byte;
#endif
    }

    bool overwrites_in_place() override {
#ifdef __linux__
        constexpr long kExtMagic = 0xEF53;
        constexpr long kTmpfsMagic = 0x01021994;
        struct statfs file_system {};
        struct stat info {};
        if (::fstatfs(fd_, &file_system) != 0 || ::fstat(fd_, &info) != 0) {
            return false;
        }
        const long type = static_cast<long>(file_system.f_type);
        const bool in_place = type == kExtMagic || type == kTmpfsMagic;
        return in_place && static_cast<std::uint64_t>(info.st_blocks) * 512 >=
                               static_cast<std::uint64_t>(info.st_size);
#else
        return false;
#endif
    }

    std::unique_ptr<FileMapping> map(std::uint64_t length) override {
        if (sizeof(void*) < 8 && length > 0x40000000u) {
            return nullptr;
        }
        const auto size = static_cast<std::size_t>(length);
        void* mapped = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
        if (mapped == MAP_FAILED) {
            return nullptr;
        }
        return std::make_unique<PosixMapping>(static_cast<std::uint8_t*>(mapped), size, path_);
    }

  private:
#ifdef F_OFD_SETLK
    bool set_byte_lock(LockByte which, short type) {
        struct flock byte {};
        byte.l_type = type;
        byte.l_whence = SEEK_SET;
        byte.l_start = static_cast<off_t>(lock_byte_offset(which));
        byte.l_len = 1;
        if (::fcntl(fd_, F_OFD_SETLK, &byte) == 0) {
            return true;
        }
        if (errno == EAGAIN || errno == EACCES) {
            return false;
        }
        throw failure(path_, "cannot lock the file", errno);
    }
#endif

    int fd_;
    std::filesystem::path path_;
};

class PosixFileSystem : public FileSystem {
  public:
    std::unique_ptr<File> open(const std::filesystem::path& path, OpenMode mode) override {
        int flags = O_CLOEXEC;
        switch (mode) {
            case OpenMode::Read:
                flags |= O_RDONLY;
                break;
            case OpenMode::ReadWrite:
                flags |= O_RDWR;
                break;
            case OpenMode::CreateNew:
                flags |= O_RDWR | O_CREAT | O_EXCL;
                break;
            case OpenMode::CreateOrTruncate:
                flags |= O_RDWR | O_CREAT | O_TRUNC;
                break;
        }
        const int fd = ::open(path.c_str(), flags, 0666);
        if (fd < 0) {
            const bool creating = mode == OpenMode::CreateNew || mode == OpenMode::CreateOrTruncate;
            throw failure(path, creating ? "cannot create the file" : "cannot open the file",
                          errno);
        }
        return std::make_unique<PosixFile>(fd, path);
    }

    bool exists(const std::filesystem::path& path) override {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0;
    }

    void remove(const std::filesystem::path& path) override {
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
            throw failure(path, "cannot delete the file", errno);
        }
    }

    void sync_folder(const std::filesystem::path& file) override {
        const std::filesystem::path folder =
            file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            throw failure(folder, "cannot open the folder", errno);
        }
        const int result = ::fsync(fd);
        const int error = errno;
        ::close(fd);
        if (result != 0) {
            throw failure(folder, "cannot flush the folder to disk", error);
        }
    }
};

}  // namespace

FileSystem& native_file_system() {
    static PosixFileSystem file_system;
    return file_system;
}

std::string path_text(const std::filesystem::path& path) {
    return path.native();
}

std::optional<int> windows_ansi_code_page() {
    return std::nullopt;
}

}  // namespace jet
