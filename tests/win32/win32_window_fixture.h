// The fixture of the Windows window's tests: test drives and folders, and
// the real window on the screen, driven by the messages a user's input sends.
#pragma once

#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/win32/message_box_closer.h"
#include "tests/window/screen_test_toolkit.h"
#include "tests/window/two_drive_test.h"
#include "win32/main_window.h"
#include "win32/win32_toolkit.h"
#include "window/re_name_fold.h"

namespace listsong_win32::testing {

using TestToolkit = window::testing::ScreenTestToolkit<Win32Toolkit>;

// The text of a window or control, as UTF-8.
std::string window_text(HWND window);

// The two test drives, and the window on the screen, standing in a/music
// unless a test moves it.
class Win32WindowTest : public window::testing::TwoDriveTest<TestToolkit> {
  protected:
    // What closes and records the message boxes the window raises.
    using BoxCloser = MessageBoxCloser;

    MainWindow& open_window();
    HWND control(std::string_view name, int index = window::kNotInArray) const {
        return view->control(name, index);
    }

    // What a click on a button sends it.
    void click(std::string_view button) { SendMessageW(control(button), BM_CLICK, 0, 0); }
    bool window_shown() const { return IsWindowVisible(view->handle()); }

    // A key pressed on a control: it takes the focus, the key goes to the
    // window's message queue, and the window handles it as its message loop
    // does, dialog keys first.
    void press_key(HWND target, WPARAM key);

    std::unique_ptr<window::ReNameFold> model;
    std::unique_ptr<MainWindow> view;
};

}  // namespace listsong_win32::testing
