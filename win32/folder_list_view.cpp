#include "win32/folder_list_view.h"

#include <commctrl.h>
#include <shellapi.h>

#include "win32/wide_text.h"

namespace listsong_win32 {

namespace {

// Pixels each level of the tree stands further in, and around the icon.
constexpr int kIndentStep = 7;
constexpr int kMargin = 2;
constexpr int kIconSide = 16;
constexpr int kTextPadding = 2;
// One line: the icon and a pixel above and below it.
constexpr int kLineHeight = kIconSide + 2;
constexpr UINT_PTR kKeyboardSubclass = 1;

// The shell's small icon of a folder, open or closed, as Explorer draws it; none
// when the shell has none to give.
HICON folder_icon(bool open) {
    SHFILEINFOW info{};
    const UINT flags =
        SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES | (open ? SHGFI_OPENICON : 0);
    if (SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof(info), flags) == 0) {
        return nullptr;
    }
    return info.hIcon;
}

}  // namespace

FolderListView::FolderListView(HWND list, std::function<void(const std::string&)> open)
    : list_(list),
      open_(std::move(open)),
      open_icon_(folder_icon(true)),
      closed_icon_(folder_icon(false)) {
    SendMessageW(list_, LB_SETITEMHEIGHT, 0, kLineHeight);
    SetWindowSubclass(list_, keyboard, kKeyboardSubclass, reinterpret_cast<DWORD_PTR>(this));
}

FolderListView::~FolderListView() {
    for (HICON icon : {open_icon_, closed_icon_}) {
        if (icon != nullptr) {
            DestroyIcon(icon);
        }
    }
}

void FolderListView::show_folder(const window::FolderList& model,
                                 const std::vector<window::Drive>& drives) {
    entries_ = window::folder_entries(model, drives);
    shown_revision_ = model.revision();
    SendMessageW(list_, LB_RESETCONTENT, 0, 0);
    WPARAM current = 0;
    for (const window::FolderEntry& entry : entries_) {
        const std::wstring name = utf16_of(entry.name);
        const LRESULT line =
            SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        SendMessageW(list_, LB_SETITEMDATA, static_cast<WPARAM>(line), entry.depth);
        if (entry.open) {
            current = static_cast<WPARAM>(line);
        }
    }
    SendMessageW(list_, LB_SETCURSEL, current, 0);
}

void FolderListView::draw(const DRAWITEMSTRUCT& item, HBRUSH back) const {
    FillRect(item.hDC, &item.rcItem, back);
    if (item.itemID == static_cast<UINT>(-1) || item.itemID >= entries_.size()) {
        if (item.itemState & ODS_FOCUS) {
            DrawFocusRect(item.hDC, &item.rcItem);
        }
        return;
    }
    const window::FolderEntry& entry = entries_[item.itemID];
    const int icon_left = item.rcItem.left + kMargin + entry.depth * kIndentStep;
    const int line_height = item.rcItem.bottom - item.rcItem.top;
    const HICON icon = entry.open ? open_icon_ : closed_icon_;
    if (icon != nullptr) {
        DrawIconEx(item.hDC, icon_left, item.rcItem.top + (line_height - kIconSide) / 2, icon,
                   kIconSide, kIconSide, 0, nullptr, DI_NORMAL);
    }

    const std::wstring name = utf16_of(entry.name);
    SIZE extent{};
    GetTextExtentPoint32W(item.hDC, name.c_str(), static_cast<int>(name.size()), &extent);
    const int text_left = icon_left + kIconSide + kMargin;
    RECT text{text_left, item.rcItem.top, text_left + extent.cx + 2 * kTextPadding,
              item.rcItem.bottom};
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    if (selected) {
        FillRect(item.hDC, &text, GetSysColorBrush(COLOR_HIGHLIGHT));
    }
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT inside = text;
    inside.left += kTextPadding;
    DrawTextW(item.hDC, name.c_str(), static_cast<int>(name.size()), &inside,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (item.itemState & ODS_FOCUS) {
        DrawFocusRect(item.hDC, &text);
    }
}

void FolderListView::open_selected() const {
    const LRESULT selected = SendMessageW(list_, LB_GETCURSEL, 0, 0);
    if (selected < 0 || static_cast<std::size_t>(selected) >= entries_.size()) {
        return;
    }
    // Opening the folder shows it, which rebuilds the lines: the path is copied first.
    const std::string path = entries_[static_cast<std::size_t>(selected)].path;
    open_(path);
}

// Enter opens the selected line: the list asks for it, so that the window's
// dialog keys leave it to the list.
LRESULT CALLBACK FolderListView::keyboard(HWND list, UINT message, WPARAM wparam, LPARAM lparam,
                                          UINT_PTR, DWORD_PTR self) {
    const auto& view = *reinterpret_cast<const FolderListView*>(self);
    switch (message) {
        case WM_GETDLGCODE: {
            LRESULT code = DefSubclassProc(list, message, wparam, lparam);
            const auto* key = reinterpret_cast<const MSG*>(lparam);
            if (key != nullptr && key->message == WM_KEYDOWN && key->wParam == VK_RETURN) {
                code |= DLGC_WANTALLKEYS;
            }
            return code;
        }
        case WM_KEYDOWN:
            if (wparam == VK_RETURN) {
                view.open_selected();
                return 0;
            }
            break;
        case WM_CHAR:
            if (wparam == L'\r') {
                return 0;
            }
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(list, keyboard, kKeyboardSubclass);
            break;
        default:
            break;
    }
    return DefSubclassProc(list, message, wparam, lparam);
}

}  // namespace listsong_win32
