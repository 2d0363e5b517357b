#include "win32/win32_toolkit.h"

#include <chrono>
#include <stdexcept>
#include <string>

#include "songdb/program_folder.h"
#include "win32/wide_text.h"
#include "window/mounted_drives.h"
#include "window/twips.h"

namespace listsong_win32 {

namespace fs = std::filesystem;
using window::pixels_of_twips;
using window::twips_of_pixels;

namespace {

constexpr const char* kDefaultTitle = "ListSong";

constexpr int kLetters = 26;

// Asking a drive without a medium for its label or its folders makes Windows
// offer a "no disk" box unless the thread says it handles such errors itself.
class QuietDriveErrors {
  public:
    QuietDriveErrors() { SetThreadErrorMode(SEM_FAILCRITICALERRORS, &before_); }
    ~QuietDriveErrors() { SetThreadErrorMode(before_, nullptr); }
    QuietDriveErrors(const QuietDriveErrors&) = delete;
    QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

  private:
    DWORD before_ = 0;
};

// A floppy drive is left unasked, as asking spins it up; it shows its letter alone.
bool floppy(wchar_t letter, const std::wstring& root) {
    return (letter == L'A' || letter == L'B') && GetDriveTypeW(root.c_str()) == DRIVE_REMOVABLE;
}

std::string volume_label(const std::wstring& root) {
    wchar_t label[MAX_PATH + 1] = {};
    if (!GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr,
                               nullptr, 0)) {
        return {};
    }
    return utf8_of(label);
}

RECT work_area() {
    RECT area{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) {
        area = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    return area;
}

}  // namespace

void Win32Toolkit::attach(HWND window, std::function<void()> show_model) {
    window_ = window;
    show_model_ = std::move(show_model);
}

std::string Win32Toolkit::default_title() {
    return kDefaultTitle;
}

HWND Win32Toolkit::window() const {
    if (window_ == nullptr) {
        throw std::logic_error("The toolkit has no window attached");
    }
    return window_;
}

void Win32Toolkit::run_message_loop() {
    MSG message;
    while (!ended_ && GetMessageW(&message, nullptr, 0, 0) > 0) {
        dispatch(message);
    }
}

void Win32Toolkit::dispatch(MSG& message) const {
    if (window_ != nullptr && IsDialogMessageW(window_, &message)) {
        return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

std::vector<window::Drive> Win32Toolkit::drives() const {
    const QuietDriveErrors quiet;
    std::vector<window::Drive> drives;
    const DWORD letters = GetLogicalDrives();
    for (int i = 0; i < kLetters; ++i) {
        if ((letters & (DWORD{1} << i)) == 0) {
            continue;
        }
        const wchar_t letter = static_cast<wchar_t>(L'A' + i);
        const std::wstring root{letter, L':', L'\\'};
        drives.push_back(
            window::make_drive(fs::path(root), floppy(letter, root) ? "" : volume_label(root)));
    }
    return drives;
}

bool Win32Toolkit::drive_ready(const window::Drive& drive) const {
    const QuietDriveErrors quiet;
    return window::root_listable(drive.root);
}

// MessageBoxW has no place for details, so they are left out; the update
// that offers them writes its cause to stderr and to its log as well.
void Win32Toolkit::message_box(const std::string& prompt, int buttons,
                               const std::optional<std::string>& title, const std::string&) {
    if (buttons != window::kOkOnly) {
        throw std::invalid_argument("Message boxes offer only the OK button (code 0), not code " +
                                    std::to_string(buttons));
    }
    HWND owner = window();
    show_model_();
    MessageBoxW(owner, utf16_of(prompt).c_str(), utf16_of(title ? *title : kDefaultTitle).c_str(),
                MB_OK);
}

// The window shows the models' state before Windows paints it; then every
// message waiting is handled, and the call returns as soon as the queue is
// empty or the program ends.
void Win32Toolkit::process_pending_events() {
    if (show_model_) {
        show_model_();
    }
    const auto now = std::chrono::steady_clock::now();
    // Under Wine each look at the queue is a round trip to its server.
    if (now - last_asked_ >= window::kEventsInterval) {
        last_asked_ = now;
        dispatch_waiting_messages();
    }
}

void Win32Toolkit::dispatch_waiting_messages() {
    MSG message;
    while (!ended_ && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        dispatch(message);
    }
}

// The window goes from the screen at once; the message loop ends once our
// handlers have unwound to it.
void Win32Toolkit::end_program() {
    ended_ = true;
    if (window_ != nullptr) {
        ShowWindow(window_, SW_HIDE);
    }
}

window::TwipSize Win32Toolkit::screen_size() const {
    const RECT area = work_area();
    return {twips_of_pixels(area.right - area.left), twips_of_pixels(area.bottom - area.top)};
}

window::TwipSize Win32Toolkit::window_outer_size() const {
    RECT outer{};
    GetWindowRect(window(), &outer);
    return {twips_of_pixels(outer.right - outer.left), twips_of_pixels(outer.bottom - outer.top)};
}

void Win32Toolkit::move_window(float left, float top) {
    const RECT area = work_area();
    SetWindowPos(window(), nullptr, area.left + pixels_of_twips(left),
                 area.top + pixels_of_twips(top), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

fs::path Win32Toolkit::program_folder() const {
    return songdb::running_program_folder();
}

fs::path Win32Toolkit::start_folder() const {
    return fs::current_path();
}

}  // namespace listsong_win32
