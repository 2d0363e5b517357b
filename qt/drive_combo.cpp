#include "qt/drive_combo.h"

#include <QSignalBlocker>

namespace listsong_qt {

DriveCombo::DriveCombo(QWidget* parent, const window::DriveList& model,
                       std::function<void(const std::string&)> choose)
    : QComboBox(parent), model_(model), choose_(std::move(choose)) {
    read_drives();
    connect(this, &QComboBox::activated, this,
            [this](int index) { choose_(itemText(index).toStdString()); });
}

void DriveCombo::show_selection() {
    const QString selected = QString::fromStdString(model_.Drive());
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
