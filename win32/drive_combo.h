// The drive list (Drive1) on the screen: a drop-down list of the drives with
// their volume labels.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "window/drive_list.h"

namespace listsong_win32 {

// The drive list as a drop-down list box (CBS_DROPDOWNLIST) of the drives the
// drive list model reports, each shown as "c: [label]". The drives are read
// anew each time the list drops down, so a medium put in since shows up.
class DriveCombo {
  public:
    // `choose` receives the text of each drive the user picks.
    DriveCombo(HWND combo, const window::DriveList& model,
               std::function<void(const std::string&)> choose);

    // Shows the model's selected drive.
    void show_selection();

    // A notification of the combo box (WM_COMMAND): a pick with the keyboard
    // in the closed box or of a line of the dropped-down list chooses that
    // drive; a cancelled drop-down shows the model's drive again.
    void notified(WORD code);

  private:
    void read_drives();
    void choose_selected();

    HWND combo_;
    const window::DriveList& model_;
    std::function<void(const std::string&)> choose_;
    // The model's drive that the box last showed as selected.
    std::string shown_drive_;
};

}  // namespace listsong_win32
