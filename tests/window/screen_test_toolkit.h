// A front end's toolkit for tests that put the real window on a screen.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/window/test_drives.h"

namespace window::testing {

// A front end's toolkit (Qt's or Win32's) with the machine's drives, start
// folder and program folder replaced by a test's own folders; it counts the
// rounds of pending events and can act in a given one, as a user clicking in
// the middle of an update.
template <typename FrontEndToolkit>
class ScreenTestToolkit : public FrontEndToolkit {
  public:
    ScreenTestToolkit(std::filesystem::path start_folder, std::filesystem::path program_folder)
        : start_folder_(std::move(start_folder)), program_folder_(std::move(program_folder)) {}

    // Adds a drive with this root (an existing folder); returns its text.
    std::string add_drive(const std::filesystem::path& root, const std::string& label) {
        return drives_.add(root, label);
    }
    void set_drive_ready(const std::filesystem::path& root, bool ready) {
        drives_.set_ready(root, ready);
    }

    // Runs `action` in the round-th processing of pending events (from 1),
    // after the front end has handled what was waiting.
    void at_event_round(int round, std::function<void()> action) {
        actions_[round] = std::move(action);
    }
    int event_rounds() const { return rounds_; }

    std::vector<Drive> drives() const override { return drives_.all(); }
    bool drive_ready(const Drive& drive) const override { return drives_.ready(drive); }
    void process_pending_events() override {
        ++rounds_;
        FrontEndToolkit::process_pending_events();
        if (const auto action = actions_.find(rounds_); action != actions_.end()) {
            action->second();
        }
    }
    std::filesystem::path program_folder() const override { return program_folder_; }
    std::filesystem::path start_folder() const override { return start_folder_; }

  private:
    std::filesystem::path start_folder_;
    std::filesystem::path program_folder_;
    TestDrives drives_;
    std::map<int, std::function<void()>> actions_;
    int rounds_ = 0;
};

}  // namespace window::testing
