// The window on the screen under Windows: the native controls of the design
// table, kept in line with the window object's control models.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "win32/brushes.h"
#include "win32/design_fonts.h"
#include "window/re_name_fold.h"
#include "window/user_actions.h"

namespace listsong_win32 {

class DriveCombo;
class FolderListView;

// The window ReNameFold on the screen: one native control per control of the
// design table, at its place (15 twips to a pixel), with its colours, font,
// caption, visibility and tab order, in a window whose client area has the
// design's size and whose frame has what the design asks for (a caption and a
// close box, no sizing border). The user's actions go to the control models,
// whose events run the window object's handlers; show_model() then brings the
// controls in line with the models. Each model counts its changes, so a
// control is touched only when its model changed since it was last brought
// in line.
class MainWindow {
  public:
    // Creates the window, hidden, with every control in its design state.
    // Throws std::runtime_error when Windows refuses a window or a control.
    explicit MainWindow(window::ReNameFold& model);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    HWND handle() const { return window_; }

    // Brings every control in line with its model: captions and positions of
    // labels, items of lists, folders and the selected drive. While a user's
    // action runs (an update lets events through once per song), only the
    // controls in sight are brought in line, and a caption changes on the
    // screen no faster than the screen can show; the rest follows once the
    // action is over.
    void show_model();

    // Shows the window where it stands and activates it; Drive1 has the focus.
    void show();

    // The native control of a design table control; throws std::out_of_range
    // for a control the window lacks.
    HWND control(std::string_view name, int index = window::kNotInArray) const;

  private:
    static LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam,
                                             LPARAM lparam);
    LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam);

    void build(const window::ControlDesign& design, int id);
    // Creates a design's control in its container, with the design's font, or
    // `font` when one is given. `extra_height` is added to the design's.
    HWND create(const window::ControlDesign& design, int id, const wchar_t* window_class,
                const std::wstring& text, DWORD style, DWORD extended_style = 0,
                int extra_height = 0, HFONT font = nullptr);
    void build_button(const window::ControlDesign& design, int id);
    void build_label(const window::ControlDesign& design, int id);
    void build_list_box(const window::ControlDesign& design, int id);
    void build_file_list(const window::ControlDesign& design, int id);
    void build_folder_list(const window::ControlDesign& design, int id);
    void build_drive_list(const window::ControlDesign& design, int id);
    void build_frame(const window::ControlDesign& design, int id);
    void stack_controls();

    // Runs a user's action on the models; a failure is reported in a box of
    // its own. The controls show the models afterwards.
    void run_event(const std::function<void()>& event);

    LRESULT control_colour(UINT message, HDC dc, HWND control);
    HBRUSH back_brush(const window::ControlDesign& design);
    void draw_item(const DRAWITEMSTRUCT& item);
    void press_focused_button();

    // Whether any of the control can be seen: it is shown and lies at least
    // partly within the client area.
    bool in_sight(HWND control) const;
    bool to_show(HWND control) const { return !actions_.any_running() || in_sight(control); }

    window::ReNameFold& model_;
    HWND window_ = nullptr;
    Fonts fonts_;
    Brushes brushes_;
    // The native control of each design, by the design's place in the table.
    std::vector<HWND> controls_;
    std::map<HWND, const window::ControlDesign*> designs_;
    // What each control's notifications (WM_COMMAND) do, by control id.
    std::map<int, std::function<void(WORD)>> notifications_;
    // The control that has the focus while the window is not active.
    HWND focus_ = nullptr;
    window::UserActions actions_;

    // A label model and the control that shows it, with the model's revision
    // it shows, its caption and place on the screen, and when its caption
    // last changed there.
    struct LabelView {
        const window::Label* model;
        HWND control;
        std::optional<std::uint64_t> shown;
        std::wstring caption;
        POINT position;
        std::chrono::steady_clock::time_point changed;
    };
    std::vector<LabelView> labels_;
    // Whether a caption held back waits for the timer that shows it.
    bool held_back_ = false;
    void show_label(LabelView& view);

    // A list model and the list box that shows it, with the model's revision
    // it shows.
    template <typename ListModel>
    struct ListView {
        ListModel* model;
        HWND control;
        std::optional<std::uint64_t> shown;
        // A list box's selected item as shown (the model's selected()).
        std::size_t selected = 0;
    };
    template <typename ListModel>
    static void show_items(ListView<ListModel>& view);

    std::vector<ListView<window::ListBox>> list_boxes_;
    std::vector<ListView<const window::FileList>> file_lists_;
    std::vector<std::pair<const window::FolderList*, std::unique_ptr<FolderListView>>>
        folder_lists_;
    std::unique_ptr<DriveCombo> drive_list_;
};

}  // namespace listsong_win32
