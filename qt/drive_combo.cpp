#include "qt/drive_combo.h"

#include <QSignalBlocker>

namespace listsong_qt {

DriveCombo::DriveCombo(QWidget* parent, const window::DriveList& model,
                       std::function<void(const std::string&)> choose)
    : QComboBox(parent), model_(model), choose_(std::move(choose)) {
    read_drives();
    connect(this, &QComboBox::activated, this,
            [this](int index) { choose_(itemText(index).toStdString()); });
    // The user moved the list away from what it showed, so it is compared anew.
    connect(this, &QComboBox::currentIndexChanged, this, [this] { shown_drive_.clear(); });
}

// The model is asked each time events are let through; its text is compared
// with what was shown last before anything is converted for Qt.
void DriveCombo::show_selection() {
    if (model_.Drive() == shown_drive_) {
        return;
    }
    shown_drive_ = model_.Drive();
    const QString selected = QString::fromStdString(shown_drive_);
    if (currentText() == selected) {
        return;
    }
    if (findText(selected) < 0) {
        read_drives();
    }
    const QSignalBlocker quiet(this);
    setCurrentIndex(findText(selected));
}

void DriveCombo::showPopup() {
    read_drives();
    QComboBox::showPopup();
}

// Lists the drives as the model reports them now, keeping the selected one
// shown even when it went away.
void DriveCombo::read_drives() {
    const QSignalBlocker quiet(this);
    clear();
    for (const window::Drive& drive : model_.drives()) {
        addItem(QString::fromStdString(drive.text));
    }
    const QString selected = QString::fromStdString(model_.Drive());
    if (findText(selected) < 0) {
        addItem(selected);
    }
    setCurrentIndex(findText(selected));
}

}  // namespace listsong_qt
