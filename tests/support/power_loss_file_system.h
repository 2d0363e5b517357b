// A file system in memory that knows what a power cut could leave on the
// disk, for tests that cut the power at any moment of a run.
//
// Every file is kept twice: as the run sees it (a MemoryFileSystem), and as
// the disk holds it for sure: its bytes at its last sync, and under its name
// only when the name's creation was flushed with its folder (sync_folder).
// Between two syncs of a file its writes and length changes are kept in
// order; a creation or deletion of a name stays undecided until its folder is
// flushed.
//
// crash_image() draws one state the disk may hold when the power goes now,
// the way disks and file systems fail: a creation or deletion not flushed is
// done or not; of the writes since a file's last sync, any may be lost, the
// rest reach the disk in any order, and each may be torn at 512-byte
// sectors (some of its sectors written, others not).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <vector>

#include "jet/file_system.h"
#include "tests/support/memory_file_system.h"

namespace jet_test {

class PowerLossFileSystem : public jet::FileSystem {
  public:
    using Image = std::map<std::filesystem::path, std::vector<std::uint8_t>>;

    std::unique_ptr<jet::File> open(const std::filesystem::path& path, jet::OpenMode mode) override;
    bool exists(const std::filesystem::path& path) override { return live_.exists(path); }
    void remove(const std::filesystem::path& path) override;
    void sync_folder(const std::filesystem::path& file) override;

    // Takes everything written so far as on the disk.
    void settle();
    // One state the disk may hold if the power went now: the files present
    // and their bytes.
    Image crash_image(std::mt19937& random) const;
    // The file's bytes as the run sees them; nullopt when there is none.
    std::optional<std::vector<std::uint8_t>> live_file(const std::filesystem::path& path) const {
        return live_.file(path);
    }

    // Called after every write, length change, sync, creation and deletion,
    // with the file concerned and whether the call was a sync (of the file
    // or its folder).
    std::function<void(const std::filesystem::path& file, bool sync)> after_call;

  private:
    class RecordingFile;
    struct Change {
        std::uint64_t offset = 0;
        std::vector<std::uint8_t> bytes;      // a write
        std::optional<std::uint64_t> length;  // a length change instead
    };
    struct Disk {
        bool exists = false;
        std::vector<std::uint8_t> bytes;
        std::vector<Change> changes;  // since the last sync
        // What the disk holds under the name until a creation or deletion
        // is flushed with the folder.
        std::optional<std::pair<bool, std::vector<std::uint8_t>>> before_name_change;
    };

    Disk& disk(const std::filesystem::path& path) { return disks_[path.lexically_normal()]; }
    void record(const std::filesystem::path& path, Change change);
    void sync_file(const std::filesystem::path& path);
    void name_changes(const std::filesystem::path& path, bool exists);
    void called(const std::filesystem::path& path, bool sync) {
        if (after_call) {
            after_call(path, sync);
        }
    }

    MemoryFileSystem live_;
    std::map<std::filesystem::path, Disk> disks_;
};

}  // namespace jet_test
