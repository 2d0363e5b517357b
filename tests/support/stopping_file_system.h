// A file system over another that stops an operation on one file part-way:
// for tests that interrupt a save or a roll-back of a database at each of
// its steps, by killing the process or by throwing, and then see what the
// next open makes of the file.
//
// It counts the changes that reach the watched file: each write_at,
// truncate, reserve and sync, and where the file is mapped, each time the
// engine takes the mapping's memory (it does so once for every page it
// copies in) and each flush of the mapping. Armed with stop_after(k, stop),
// it lets k more changes through and calls `stop` before the next one, once;
// when `stop` returns, that change goes on. Other files (the journal, the
// lock file) pass through uncounted.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "jet/file_system.h"

namespace jet_test {

class StoppingFileSystem : public jet::FileSystem {
  public:
    StoppingFileSystem(jet::FileSystem& inner, std::filesystem::path watched)
        : inner_(inner), watched_(std::move(watched)) {}
    StoppingFileSystem(const StoppingFileSystem&) = delete;
    StoppingFileSystem& operator=(const StoppingFileSystem&) = delete;

    // Lets `changes` more changes reach the watched file, then calls `stop`
    // before the next one.
    void stop_after(std::size_t changes, std::function<void()> stop);
    // The changes of the watched file since construction.
    std::size_t changes() const { return changes_; }

    std::unique_ptr<jet::File> open(const std::filesystem::path& path, jet::OpenMode mode) override;
    bool exists(const std::filesystem::path& path) override { return inner_.exists(path); }
    void remove(const std::filesystem::path& path) override { inner_.remove(path); }
    void sync_folder(const std::filesystem::path& file) override { inner_.sync_folder(file); }

    // Counts one change of the watched file, stopping first when it is the
    // one to stop before. For the file and the mapping it hands out.
    void change();

  private:
    jet::FileSystem& inner_;
    std::filesystem::path watched_;
    std::size_t changes_ = 0;
    std::optional<std::size_t> stop_before_;
    std::function<void()> stop_;
};

}  // namespace jet_test
