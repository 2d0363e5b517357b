// The Qt widget that shows the drive list Drive1.
#pragma once

#include <QComboBox>
#include <functional>
#include <string>

#include "window/drive_list.h"

namespace listsong_qt {

// The drive list as a combo box of the drives the drive list model reports.
// The drives are read anew each time the list drops down, so a medium put in
// since shows up.
class DriveCombo : public QComboBox {
  public:
    // `choose` receives the text of each drive the user picks.
    DriveCombo(QWidget* parent, const window::DriveList& model,
               std::function<void(const std::string&)> choose);

    // Shows the model's selected drive.
    void show_selection();

  protected:
    void showPopup() override;

  private:
    void read_drives();

    const window::DriveList& model_;
    std::function<void(const std::string&)> choose_;
    // The model's drive that the list last showed as selected.
    std::string shown_drive_;
};

}  // namespace listsong_qt
