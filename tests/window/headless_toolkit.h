// A toolkit without a display, for the tests that drive the window object
// alone.
#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/window/test_drives.h"
#include "window/toolkit.h"

namespace window::testing {

struct RecordedMessage {
    std::string prompt;
    int buttons;
    std::optional<std::string> title;  // nothing: the default title
    std::string details;               // empty: none offered
};

struct WindowPosition {
    float left;
    float top;
};

// A toolkit without a display, scripted by a test: a fixed screen and window
// size, a drive list of the test's own folders in which a drive can be made not
// ready, message boxes recorded and answered at once, and actions queued to run
// when the window next processes pending events. Ending the program is only
// recorded, and then no queued action runs any more.
class HeadlessToolkit : public Toolkit {
  public:
    // A screen of 1024 x 768 pixels and a window of 4920 x 6795 twips outside.
    HeadlessToolkit(std::filesystem::path start_folder, std::filesystem::path program_folder);

    // Adds a drive with this root (an existing folder) and label; returns its text.
    std::string add_drive(const std::filesystem::path& root, const std::string& label) {
        return drives_.add(root, label);
    }
    void set_drive_ready(const std::filesystem::path& root, bool ready) {
        drives_.set_ready(root, ready);
    }

    void set_start_folder(std::filesystem::path folder) { start_folder_ = std::move(folder); }
    void set_screen_size(TwipSize size) { screen_ = size; }
    void set_window_outer_size(TwipSize size) { window_ = size; }

    // Runs at the window's next processing of pending events, in queued order.
    void queue(std::function<void()> action) { pending_.push_back(std::move(action)); }

    const std::vector<RecordedMessage>& messages() const { return messages_; }
    std::optional<WindowPosition> window_position() const { return position_; }
    bool program_ended() const { return ended_; }
    int end_calls() const { return end_calls_; }
    int event_rounds() const { return event_rounds_; }

    // Toolkit
    std::vector<Drive> drives() const override { return drives_.all(); }
    bool drive_ready(const Drive& drive) const override { return drives_.ready(drive); }
    void message_box(const std::string& prompt, int buttons,
                     const std::optional<std::string>& title, const std::string& details) override;
    void process_pending_events() override;
    void end_program() override;
    TwipSize screen_size() const override { return screen_; }
    TwipSize window_outer_size() const override { return window_; }
    void move_window(float left, float top) override { position_ = WindowPosition{left, top}; }
    std::filesystem::path program_folder() const override { return program_folder_; }
    std::filesystem::path start_folder() const override { return start_folder_; }

  private:
    std::filesystem::path start_folder_;
    std::filesystem::path program_folder_;
    TestDrives drives_;
    TwipSize screen_{15360, 11520};
    TwipSize window_{4920, 6795};
    std::optional<WindowPosition> position_;
    std::vector<RecordedMessage> messages_;
    std::deque<std::function<void()>> pending_;
    bool ended_ = false;
    int end_calls_ = 0;
    int event_rounds_ = 0;
};

}  // namespace window::testing
