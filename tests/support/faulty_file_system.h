// A file system over another that fails one chosen call, as a failing disk
// would: for tests that sweep a failure over every step of an operation.
//
// It counts the calls that can fail on a real disk, on the file system and on
// every file opened through it: open, read_at, write_at, truncate, sync,
// reserve, remove and sync_folder (size, locks and path are not counted).
// When armed with fail_at(n), the n-th counted call (counting from 1, from
// construction or the last reset()) throws the FileError the POSIX file
// system throws for EIO ("Input/output error") or ENOSPC ("No space left on
// device"), with that call's message ("<path>: cannot write (...)") and
// FileProblem::Other; with `every_later_call`, the calls after it fail too,
// as a disk that stays broken. A failed call never reaches the file system
// underneath, so a failed write leaves the file as it was. A call that needs
// no space (a read, an open of an existing file, a deletion) asked to fail
// with ENOSPC fails with EIO, as a disk can only fail it so.
//
// Files are never mapped through it (map() returns nullptr), so that every
// write is a call it counts.
//
// A sweep: run the operation once unarmed and read calls(), then for n = 1
// .. that count reset(), fail_at(n) and run it again.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>

#include "jet/file_system.h"

namespace jet_test {

enum class DiskFault {
    InputOutput,  // EIO
    NoSpace,      // ENOSPC
};

class FaultyFileSystem : public jet::FileSystem {
  public:
    explicit FaultyFileSystem(jet::FileSystem& inner) : inner_(inner) {}
    FaultyFileSystem(const FaultyFileSystem&) = delete;
    FaultyFileSystem& operator=(const FaultyFileSystem&) = delete;

    // Makes the n-th counted call fail (0: none).
    void fail_at(std::size_t n, DiskFault fault = DiskFault::InputOutput,
                 bool every_later_call = false);
    // Counted calls since construction or reset().
    std::size_t calls() const { return calls_; }
    // Whether a call has failed since construction or reset().
    bool failed() const { return failed_; }
    // Starts counting from 0 again, unarmed.
    void reset();

    std::unique_ptr<jet::File> open(const std::filesystem::path& path, jet::OpenMode mode) override;
    bool exists(const std::filesystem::path& path) override { return inner_.exists(path); }
    void remove(const std::filesystem::path& path) override;
    void sync_folder(const std::filesystem::path& file) override;

    // Counts one call of `action` on `path`, throwing when it is the one to
    // fail; `needs_space` when it may take room on the disk. For the files
    // it opens.
    void count(const std::filesystem::path& path, const std::string& action, bool needs_space);

  private:
    jet::FileSystem& inner_;
    std::size_t calls_ = 0;
    std::size_t fail_at_ = 0;
    DiskFault fault_ = DiskFault::InputOutput;
    bool every_later_call_ = false;
    bool failed_ = false;
};

}  // namespace jet_test
