// The engine's only way to the operating system's files: every read, write,
// flush, lock and deletion of a database or its journal goes through a
// FileSystem. native_file_system() is the machine's own (POSIX or Win32);
// tests pass others through OpenOptions and CreateOptions, to decline
// mappings, inject failures or record what reaches the disk.
//
// Sharing. A file opened with OpenMode::ReadWrite is the database's one
// writer: on Windows it is opened without write sharing, so that another
// program that has the file open for writing (the player) makes the open fail
// with FileProblem::InUse; everywhere the writer also takes an exclusive lock
// (try_lock) that other processes see. Readers share reading and writing, so
// that they can read while a writer is at work.
//
// The write lock is one byte at kWriteLockOffset, far past any page, so that
// it never covers a byte a reader reads. Both implementations lock that same
// byte with a lock the other sees: Wine keeps a Windows program's byte locks
// as POSIX record locks, so a native writer and one running under Wine
// exclude each other too.
//
// Two more bytes after it are locked shared or exclusively. The commit lock:
// the writer holds it exclusively while it changes pages of the database (a
// save, a roll-back); readers hold it shared for as long as they read, so
// that they never see a change half-made. The pending lock: a writer that
// must save holds it exclusively while it waits for the readers to finish,
// and a reader takes it shared only on its way to the commit lock, so that a
// stream of readers cannot keep a writer from saving. Locks are only ever
// tried, never waited on: the pager decides how long to keep trying
// (pager.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "jet/error.h"

namespace jet {

constexpr std::uint64_t kWriteLockOffset = std::uint64_t{1} << 62;

enum class LockByte { Commit, Pending };
enum class LockKind { Shared, Exclusive };

constexpr std::uint64_t lock_byte_offset(LockByte byte) {
    return kWriteLockOffset + (byte == LockByte::Commit ? 1 : 2);
}

enum class OpenMode {
    Read,              // an existing file, for reading
    ReadWrite,         // an existing file, for reading and writing, others reading only
    CreateNew,         // a new file for reading and writing; fails when it exists
    CreateOrTruncate,  // a file for reading and writing, emptied when it exists
};

// What went wrong with a file, where a caller answers differently.
enum class FileProblem {
    Other,
    NotFound,  // the file or a folder on its path does not exist
    Exists,    // OpenMode::CreateNew on a file that exists
    InUse,     // another program has it open in a way that excludes this open
    ReadOnly,  // the file, its folder or its drive may not be written
    NotReady,  // the drive holds no medium or does not answer
};

// A failed file operation. what() is "<path>: <action> (<reason>)"; reason()
// is the system's own text for the failure, for messages built by callers.
class FileError : public Error {
  public:
    FileError(FileProblem problem, const std::string& message, std::string reason)
        : Error(message), problem_(problem), reason_(std::move(reason)) {}

    FileProblem problem() const { return problem_; }
    const std::string& reason() const { return reason_; }

  private:
    FileProblem problem_;
    std::string reason_;
};

// Memory shared with a file: writes to it are writes to the file.
class FileMapping {
  public:
    virtual ~FileMapping() = default;

    virtual std::uint8_t* data() = 0;
    // Writes the changed memory of the first `length` bytes to the disk.
    virtual void flush(std::size_t length) = 0;
    // Lets go of the memory of the first `length` bytes without losing what
    // was written there: it stays in the file. Best effort.
    virtual void release(std::size_t length) = 0;
};

class File {
  public:
    virtual ~File() = default;

    virtual const std::filesystem::path& path() const = 0;

    // Reads up to `size` bytes at `offset`; fewer only at the end of the file.
    virtual std::size_t read_at(std::uint64_t offset, std::uint8_t* data, std::size_t size) = 0;
    // Writes all `size` bytes at `offset`, extending the file when needed.
    virtual void write_at(std::uint64_t offset, const std::uint8_t* data, std::size_t size) = 0;
    virtual std::uint64_t size() = 0;
    virtual void truncate(std::uint64_t length) = 0;
    // Forces the file's data to the disk, and with `metadata` its length and
    // times too.
    virtual void sync(bool metadata) = 0;
    // Makes the file at least `length` bytes long with every block
    // allocated, so that writing within it never needs new space.
    virtual void reserve(std::uint64_t length) = 0;
    // Takes the exclusive write lock of the file; false when another open of
    // it holds the lock. Released when the file is closed.
    virtual bool try_lock() = 0;
    // Takes the lock byte shared or exclusively (exclusively needs a file
    // open for writing); false when another open of the file holds it in a
    // way that conflicts. Released by unlock_byte() or when the file is
    // closed.
    virtual bool try_lock_byte(LockByte byte, LockKind kind) = 0;
    virtual void unlock_byte(LockByte byte) = 0;
    // True when the file's blocks are overwritten where they lie and every
    // byte of the file has its block: writing through a mapping then never
    // needs new space.
    virtual bool overwrites_in_place() = 0;
    // A shared mapping of the first `length` bytes (which may reach past the
    // end of the file; only bytes inside it may be touched), or nullptr
    // where the file is not mapped: then it is read and written with calls.
    virtual std::unique_ptr<FileMapping> map(std::uint64_t length) = 0;
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // Throws FileError.
    virtual std::unique_ptr<File> open(const std::filesystem::path& path, OpenMode mode) = 0;
    virtual bool exists(const std::filesystem::path& path) = 0;
    // Deletes the file; nothing happens when it is absent. Throws FileError.
    virtual void remove(const std::filesystem::path& path) = 0;
    // Forces the folder's list of names, with the file's in it, to the disk.
    virtual void sync_folder(const std::filesystem::path& file) = 0;
};

// The machine's own file system.
FileSystem& native_file_system();

// The path as UTF-8 text, for messages.
std::string path_text(const std::filesystem::path& path);

}  // namespace jet
