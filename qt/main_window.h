// The Qt front end's window: the widgets of every control of the design table,
// kept in line with the control models.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "window/re_name_fold.h"
#include "window/user_actions.h"

class QLabel;
class QListWidget;

namespace listsong_qt {

class DriveCombo;
class FolderListWidget;
class RepaintPacer;

// The window ReNameFold on the screen: one widget per control of the design
// table, at its place (15 twips to a pixel), with its colours, font, caption,
// visibility and tab order. The user's actions go to the control models, whose
// events run the window object's handlers; show_model() then brings the
// widgets in line with the models. Each model counts its changes, so a widget
// is touched only when its model changed since it was last brought in line.
class MainWindow : public QWidget {
  public:
    explicit MainWindow(window::ReNameFold& model);

    // Brings every widget in line with its control's model: captions and
    // positions of labels, items of lists, folders and the selected drive.
    // While a user's action runs (an update lets events through once per
    // song), only the widgets in sight are brought in line; the others follow
    // when the action is over. Captions are painted no faster than the screen
    // can show, each label always holding its model's caption.
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

    // Whether any of the widget can be seen: it is shown and lies at least
    // partly within the window.
    bool in_sight(const QWidget& widget) const;
    // Whether show_model() brings the widget in line now.
    bool to_show(const QWidget& widget) const {
        return !actions_.any_running() || in_sight(widget);
    }

    window::ReNameFold& model_;
    std::map<const window::ControlDesign*, QWidget*> widgets_;
    window::UserActions actions_;

    // A label model and the widget that shows it, with the model's revision
    // it shows.
    struct LabelView {
        const window::Label* model;
        QLabel* widget;
        RepaintPacer* pacer;
        std::optional<std::uint64_t> shown;
    };
    std::vector<LabelView> labels_;
    static void show_label(LabelView& view);

    // A list model and the widget that shows it, with the model's revision
    // it shows.
    template <typename ListModel>
    struct ListView {
        ListModel* model;
        QListWidget* widget;
        std::optional<std::uint64_t> shown;
    };
    template <typename ListModel>
    static void show_items(ListView<ListModel>& view);

    std::vector<ListView<window::ListBox>> list_boxes_;
    std::vector<ListView<const window::FileList>> file_lists_;
    std::vector<std::pair<const window::FolderList*, FolderListWidget*>> folder_lists_;
    DriveCombo* drive_list_ = nullptr;
};

}  // namespace listsong_qt
