#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "window/re_name_fold.h"

class QLabel;
class QListWidget;

namespace listsong_qt {

class DriveCombo;
class FolderListWidget;

// The window ReNameFold on the screen: one widget per control of the design
// table, at its place (15 twips to a pixel), with its colours, font, caption,
// visibility and tab order. The user's actions go to the control models, whose
// events run the window object's handlers; show_model() then brings the
// widgets in line with the models.
class MainWindow : public QWidget {
  public:
    explicit MainWindow(window::ReNameFold& model);

    // Brings every widget in line with its control's model: captions and
    // positions of labels, items of lists, folders and the selected drive.
    void show_model();

    // The widget of a control; throws std::out_of_range for a control the
    // window lacks.
    QWidget& control(std::string_view name, int index = window::kNotInArray) const;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void build(const window::ControlDesign& design);
    QWidget* build_button(const window::ControlDesign& design, QWidget* container);
    QWidget* build_label(const window::ControlDesign& design, QWidget* container);
    QWidget* build_list_box(const window::ControlDesign& design, QWidget* container);
    QWidget* build_file_list(const window::ControlDesign& design, QWidget* container);
    QWidget* build_folder_list(const window::ControlDesign& design, QWidget* container);
    QWidget* build_drive_list(const window::ControlDesign& design, QWidget* container);
    void stack_labels();
    void set_tab_order();

    // Runs a user's action on the models; a failure is reported in a box of
    // its own. The widgets show the models afterwards.
    void run_event(const std::function<void()>& event);

    window::ReNameFold& model_;
    std::map<const window::ControlDesign*, QWidget*> widgets_;
    std::vector<std::pair<const window::Label*, QLabel*>> labels_;
    // A list model and the widget that shows it, with the texts it shows, so
    // that bringing it in line costs no conversion of Qt's texts.
    template <typename ListModel>
    struct ListView {
        ListModel* model;
        QListWidget* widget;
        std::vector<std::string> shown;
    };
    template <typename ListModel>
    static void show_items(ListView<ListModel>& view);

    std::vector<ListView<window::ListBox>> list_boxes_;
    std::vector<ListView<const window::FileList>> file_lists_;
    std::vector<std::pair<const window::FolderList*, FolderListWidget*>> folder_lists_;
    DriveCombo* drive_list_ = nullptr;
};

}  // namespace listsong_qt
