// The window object's toolkit on Windows: message boxes, pending events,
// drives and the window's place on the screen, with the Win32 API.
#pragma once

#include <windows.h>

#include <chrono>

#include <functional>
#include <string>

#include "window/toolkit.h"

namespace listsong_win32 {

// The toolkit of the window object, with the Win32 API: MessageBoxW, the
// thread's message queue, the drives of GetLogicalDrives with their volume
// labels, and the top-level window that it moves and closes.
//
// The screen that the window object sees is the work area, the desktop
// without the taskbar: screen_size() is the work area's size, and
// move_window() takes positions from the work area's top-left corner, as
// Windows' own window placements do (SetWindowPlacement). So Form_Load,
// which centres the window's outer frame on the screen it sees, centres it
// on the work area.
class Win32Toolkit : public window::Toolkit {
  public:
    Win32Toolkit() = default;

    // The window that message boxes belong to and that the program's end
    // closes, and what brings it in line with the window object before the
    // screen is painted.
    void attach(HWND window, std::function<void()> show_model);

    // Runs the thread's message loop until the program ends.
    void run_message_loop();
    // Handles every message waiting in the thread's queue, as the loop does.
    // process_pending_events() does so at most once in window::kEventsInterval.
    void dispatch_waiting_messages();

    bool program_ended() const { return ended_; }

    // The title of a message box given none.
    static std::string default_title();

    // DriveSource
    std::vector<window::Drive> drives() const override;
    bool drive_ready(const window::Drive& drive) const override;

    // Toolkit
    void message_box(const std::string& prompt, int buttons,
                     const std::optional<std::string>& title, const std::string& details) override;
    void process_pending_events() override;
    void end_program() override;
    window::TwipSize screen_size() const override;
    window::TwipSize window_outer_size() const override;
    void move_window(float left, float top) override;
    std::filesystem::path program_folder() const override;
    std::filesystem::path start_folder() const override;

  private:
    HWND window() const;
    // Hands one message to the window's dialog keys (Tab, the arrows, Enter)
    // or else to its window procedure.
    void dispatch(MSG& message) const;

    HWND window_ = nullptr;
    // When the thread's queue was last looked at by process_pending_events().
    std::chrono::steady_clock::time_point last_asked_;
    std::function<void()> show_model_;
    bool ended_ = false;
};

}  // namespace listsong_win32
