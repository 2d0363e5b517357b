#include "tests/win32/message_box_closer.h"

#include <stdexcept>

#include "win32/wide_text.h"

namespace listsong_win32::testing {

namespace {

constexpr UINT kLookEvery = 10;  // milliseconds
MessageBoxCloser* armed = nullptr;

std::wstring class_of(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::string text_of(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return utf8_of(text);
}

// The prompt of a message box: the one static control of the box that holds
// text (the other shows the icon).
std::string prompt_of(HWND box) {
    std::string prompt;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM found) -> BOOL {
            if (class_of(child) == L"Static" && GetWindowTextLengthW(child) > 0) {
                *reinterpret_cast<std::string*>(found) = text_of(child);
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&prompt));
    return prompt;
}

}  // namespace

MessageBoxCloser::MessageBoxCloser() {
    if (armed != nullptr) {
        throw std::logic_error("Only one message box closer may be armed at a time");
    }
    armed = this;
    timer_ = SetTimer(nullptr, 0, kLookEvery, look);
}

MessageBoxCloser::~MessageBoxCloser() {
    KillTimer(nullptr, timer_);
    armed = nullptr;
}

void CALLBACK MessageBoxCloser::look(HWND, UINT, UINT_PTR, DWORD) {
    if (armed != nullptr) {
        EnumThreadWindows(GetCurrentThreadId(), close_if_box, reinterpret_cast<LPARAM>(armed));
    }
}

// A box goes on the first tick that finds it, by its OK button, which hides it
// at once.
BOOL CALLBACK MessageBoxCloser::close_if_box(HWND window, LPARAM closer) {
    auto& self = *reinterpret_cast<MessageBoxCloser*>(closer);
    if (class_of(window) != L"#32770" || !IsWindowVisible(window)) {
        return TRUE;
    }
    self.seen_.push_back(SeenBox{prompt_of(window), text_of(window)});
    SendMessageW(GetDlgItem(window, IDOK), BM_CLICK, 0, 0);
    return TRUE;
}

}  // namespace listsong_win32::testing
