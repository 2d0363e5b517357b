#include "tests/win32/win32_window_fixture.h"

#include <utility>

#include "win32/wide_text.h"

namespace listsong_win32::testing {

namespace fs = std::filesystem;

std::string window_text(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return utf8_of(text);
}

MainWindow& Win32WindowTest::open_window() {
    model = std::make_unique<window::ReNameFold>(toolkit);
    view = std::make_unique<MainWindow>(*model);
    toolkit.attach(view->handle(), [this] { view->show_model(); });
    model->load();
    view->show_model();
    view->show();
    return *view;
}

void Win32WindowTest::press_key(HWND target, WPARAM key) {
    SetFocus(target);
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
    toolkit.dispatch_waiting_messages();
}

}  // namespace listsong_win32::testing
