// The window's toolkit for a program without a screen: the command line runs
// the window object's own update through it, so both front ends share one
// code path. Pending events are none; a message box is an error, since the
// command line calls the update below the handler that shows them.
#pragma once

#include <filesystem>

#include "window/toolkit.h"

namespace cli {

class ConsoleToolkit : public window::Toolkit {
  public:
    // `start_folder`: where the folder lists stand before they are pointed anywhere.
    ConsoleToolkit(std::filesystem::path program_folder, std::filesystem::path start_folder);

    std::vector<window::Drive> drives() const override;
    bool drive_ready(const window::Drive& drive) const override;
    void message_box(const std::string& prompt, int buttons,
                     const std::optional<std::string>& title, const std::string& details) override;
    void process_pending_events() override {}
    void end_program() override {}
    window::TwipSize screen_size() const override { return {}; }
    window::TwipSize window_outer_size() const override { return {}; }
    void move_window(float, float) override {}
    std::filesystem::path program_folder() const override { return program_folder_; }
    std::filesystem::path start_folder() const override { return start_folder_; }

  private:
    std::filesystem::path program_folder_;
    std::filesystem::path start_folder_;
};

}  // namespace cli
