#include "win32/drive_combo.h"

#include <utility>

#include "win32/wide_text.h"

namespace listsong_win32 {

DriveCombo::DriveCombo(HWND combo, const window::DriveList& model,
                       std::function<void(const std::string&)> choose)
    : combo_(combo), model_(model), choose_(std::move(choose)) {
    read_drives();
}

// The model is asked each time events are let through; its text is compared
// with what was shown last before anything is converted for Windows.
void DriveCombo::show_selection() {
    if (model_.Drive() == shown_drive_) {
        return;
    }
    shown_drive_ = model_.Drive();
    const std::wstring selected = utf16_of(shown_drive_);
    const LRESULT line = SendMessageW(combo_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(selected.c_str()));
    if (line == CB_ERR) {
        read_drives();
        return;
    }
    SendMessageW(combo_, CB_SETCURSEL, static_cast<WPARAM>(line), 0);
}

void DriveCombo::notified(WORD code) {
    switch (code) {
        case CBN_DROPDOWN:
            read_drives();
            break;
        case CBN_SELCHANGE:
            // The box no longer shows what the model held when it was last compared.
            shown_drive_.clear();
            if (!SendMessageW(combo_, CB_GETDROPPEDSTATE, 0, 0)) {
                choose_selected();
            }
            break;
        case CBN_SELENDOK:
            choose_selected();
            break;
        case CBN_SELENDCANCEL:
            shown_drive_.clear();
            show_selection();
            break;
        default:
            break;
    }
}

// Lists the drives as the model reports them now, keeping the selected one
// shown even when it went away.
void DriveCombo::read_drives() {
    SendMessageW(combo_, CB_RESETCONTENT, 0, 0);
    bool selected_listed = false;
    for (const window::Drive& drive : model_.drives()) {
        const std::wstring text = utf16_of(drive.text);
        SendMessageW(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        selected_listed = selected_listed || drive.text == model_.Drive();
    }
    const std::wstring selected = utf16_of(model_.Drive());
    if (!selected_listed) {
        SendMessageW(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(selected.c_str()));
    }
    SendMessageW(
        combo_, CB_SETCURSEL,
        static_cast<WPARAM>(SendMessageW(combo_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(selected.c_str()))),
        0);
    shown_drive_ = model_.Drive();
}

void DriveCombo::choose_selected() {
    const LRESULT line = SendMessageW(combo_, CB_GETCURSEL, 0, 0);
    if (line == CB_ERR) {
        return;
    }
    const LRESULT length = SendMessageW(combo_, CB_GETLBTEXTLEN, static_cast<WPARAM>(line), 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(combo_, CB_GETLBTEXT, static_cast<WPARAM>(line),
                 reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    choose_(utf8_of(text));
}

}  // namespace listsong_win32
