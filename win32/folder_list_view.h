// A folder list (Dir1, Dir2, Dir3) on the screen, drawn as a directory list
// and opening the folders the user chooses.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "window/folder_entries.h"
#include "window/folder_list.h"

namespace listsong_win32 {

// A folder list drawn as a classic directory list, in an owner-drawn list
// box: the lines of folder_entries(), each a step further in than its parent,
// the open ones with an open-folder icon and the sub-folders with a closed
// one, the current folder selected. A double-click or Enter opens the
// selected line; the arrow keys only move the selection. Each line's item
// data is its depth.
class FolderListView {
  public:
    // Takes over the keyboard of `list`, a list box made with
    // LBS_OWNERDRAWFIXED and LBS_HASSTRINGS, until the list is destroyed, which
    // must come first. `open` receives the full path of each line the user
    // opens.
    FolderListView(HWND list, std::function<void(const std::string&)> open);
    ~FolderListView();
    FolderListView(const FolderListView&) = delete;
    FolderListView& operator=(const FolderListView&) = delete;

    HWND handle() const { return list_; }

    // Whether the list shows the model's folder with its sub-folders.
    bool shows(const window::FolderList& model) const {
        return shown_revision_ == model.revision();
    }
    // Shows the model's folder on its drive, one of `drives`.
    void show_folder(const window::FolderList& model, const std::vector<window::Drive>& drives);

    // Draws one line (WM_DRAWITEM) on the list's back colour.
    void draw(const DRAWITEMSTRUCT& item, HBRUSH back) const;

    // Opens the selected line: the list's double-click (LBN_DBLCLK) and Enter.
    void open_selected() const;

  private:
    static LRESULT CALLBACK keyboard(HWND list, UINT message, WPARAM wparam, LPARAM lparam,
                                     UINT_PTR id, DWORD_PTR self);

    HWND list_;
    std::function<void(const std::string&)> open_;
    std::vector<window::FolderEntry> entries_;
    // The model's revision the lines show.
    std::optional<std::uint64_t> shown_revision_;
    HICON open_icon_;
    HICON closed_icon_;
};

}  // namespace listsong_win32
