// A file system kept entirely in memory, for tests and fuzz targets that want
// databases without touching the disk.
//
// Each file is a byte vector under its path (compared as written, after
// lexical normalisation; there are no folders, so every folder exists). An
// open file holds its bytes, not its name: a file deleted while open stays
// readable and writable through that open, as on POSIX, and a new file made
// under the same name is another file.
//
// Opens behave as the POSIX file system's do: Read needs the file, ReadWrite
// needs it and that it is not marked read-only, CreateNew refuses a file that
// exists (FileProblem::Exists), CreateOrTruncate empties one. Failures are
// FileErrors with the same messages and problems as there ("<path>: cannot
// open the file (No such file or directory)"). Nothing is ever mapped, so the
// engine writes with calls; sync and sync_folder do nothing; reserve grows the
// file with zeros. A file grows to 1 GiB at most, the most an Access 97
// database holds: a write past that fails as for a file too large (EFBIG).
//
// Locks are kept per file and per open, as the POSIX system's record locks
// are: the write lock (try_lock) is exclusive among the opens of a file, the
// lock bytes are each shared or exclusive, taking one again converts it, and
// every lock an open holds goes when that File is destroyed. Taking the write
// lock or an exclusive byte lock needs an open for writing.
//
// Safe to use from several threads; a File is used by one at a time.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "jet/file_system.h"

namespace jet_test {

class MemoryFileSystem : public jet::FileSystem {
  public:
    MemoryFileSystem() = default;
    MemoryFileSystem(const MemoryFileSystem&) = delete;
    MemoryFileSystem& operator=(const MemoryFileSystem&) = delete;

    std::unique_ptr<jet::File> open(const std::filesystem::path& path, jet::OpenMode mode) override;
    bool exists(const std::filesystem::path& path) override;
    void remove(const std::filesystem::path& path) override;
    void sync_folder(const std::filesystem::path& file) override;

    // Makes the file hold these bytes, creating it when absent. Opens of an
    // earlier file under the name keep that file.
    void set_file(const std::filesystem::path& path, std::vector<std::uint8_t> bytes);
    // The file's bytes now; nullopt when there is no such file.
    std::optional<std::vector<std::uint8_t>> file(const std::filesystem::path& path) const;
    // A file that opens for reading only (FileProblem::ReadOnly otherwise).
    void set_read_only(const std::filesystem::path& path, bool read_only);
    // Every file's name, in order.
    std::vector<std::filesystem::path> paths() const;
    // Forgets every file; opens keep theirs.
    void clear();

    struct Node;  // one file: its bytes and its locks

  private:
    std::shared_ptr<Node> find(const std::filesystem::path& path) const;

    mutable std::mutex mutex_;
    std::map<std::filesystem::path, std::shared_ptr<Node>> files_;
};

}  // namespace jet_test
