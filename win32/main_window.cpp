#include "win32/main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <initializer_list>
#include <stdexcept>

#include "win32/drive_combo.h"
#include "win32/folder_list_view.h"
#include "win32/wide_text.h"
#include "window/drive.h"
#include "window/twips.h"

namespace listsong_win32 {

using window::ControlDesign;
using window::ControlKind;
using window::pixels_of_twips;

namespace {

constexpr wchar_t kWindowClass[] = L"ListsongReNameFold";
// The program's icon in its resources (resources/windows/program.rc.in).
constexpr WORD kIconResource = 1;
// Control ids are the controls' places in the design table from here on, clear
// of the ids that the dialog keys send (IDOK, IDCANCEL).
constexpr int kFirstControlId = 100;
// The drive list's drop-down shows about ten drives.
constexpr int kDropDownHeight = 160;
// One frame of a 60 Hz screen: captions change on the screen no faster.
constexpr std::chrono::milliseconds kFrame{16};
constexpr UINT_PTR kHeldBackTimer = 1;
constexpr UINT_PTR kForwardingSubclass = 1;

int pixels(int twips) {
    return pixels_of_twips(static_cast<float>(twips));
}

std::string windows_error(const std::string& what) {
    return "Windows could not create " + what + " (Windows error " +
           std::to_string(GetLastError()) + ")";
}

DWORD window_style(const window::WindowDesign& design) {
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
    if (design.close_box) {
        style |= WS_SYSMENU;
    }
    if (design.minimise_button) {
        style |= WS_MINIMIZEBOX;
    }
    if (design.maximise_button) {
        style |= WS_MAXIMIZEBOX;
    }
    if (design.resizable) {
        style |= WS_THICKFRAME;
    }
    return style;
}

HICON program_icon(int side) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kIconResource),
                                         IMAGE_ICON, side, side, LR_DEFAULTCOLOR));
}

void register_window_class(WNDPROC procedure) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(GetModuleHandleW(nullptr), kWindowClass, &existing)) {
        return;
    }
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hIcon = program_icon(GetSystemMetrics(SM_CXICON));
    window_class.hIconSm = program_icon(GetSystemMetrics(SM_CXSMICON));
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    window_class.lpszClassName = kWindowClass;
    if (RegisterClassExW(&window_class) == 0) {
        throw std::runtime_error(windows_error("the window's class"));
    }
}

// The frame's controls notify the frame, a group box, which does nothing
// with it: it hands their notifications and colour questions to the window.
LRESULT CALLBACK forward_to_window(HWND frame, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                   DWORD_PTR window) {
    switch (message) {
        case WM_COMMAND:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
            return SendMessageW(reinterpret_cast<HWND>(window), message, wparam, lparam);
        case WM_NCDESTROY:
            RemoveWindowSubclass(frame, forward_to_window, kForwardingSubclass);
            break;
        default:
            break;
    }
    return DefSubclassProc(frame, message, wparam, lparam);
}

}  // namespace

MainWindow::MainWindow(window::ReNameFold& model) : model_(model) {
    const window::WindowDesign& design = window::window_design();
    register_window_class(window_procedure);
    const DWORD style = window_style(design);
    RECT outer{0, 0, pixels(design.client_width), pixels(design.client_height)};
    AdjustWindowRectEx(&outer, style, FALSE, 0);
    window_ =
        CreateWindowExW(0, kWindowClass, utf16_of(design.caption).c_str(), style, CW_USEDEFAULT,
                        CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top, nullptr,
                        nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window_ == nullptr) {
        throw std::runtime_error(windows_error("the window"));
    }
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    try {
        const auto designs = window::control_designs();
        for (std::size_t i = 0; i < designs.size(); ++i) {
            build(designs[i], kFirstControlId + static_cast<int>(i));
        }
        stack_controls();
        focus_ = control("Drive1");
        show_model();
    } catch (...) {
        DestroyWindow(window_);
        throw;
    }
}

// The controls go with the window, before the views that know them.
MainWindow::~MainWindow() {
    DestroyWindow(window_);
}

HWND MainWindow::control(std::string_view name, int index) const {
    const ControlDesign& design = window::control_design(name, index);
    const auto position = static_cast<std::size_t>(&design - window::control_designs().data());
    if (position >= controls_.size()) {
        throw std::out_of_range("The window shows no control " + std::string(name));
    }
    return controls_[position];
}

void MainWindow::show() {
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
}

LRESULT CALLBACK MainWindow::window_procedure(HWND window, UINT message, WPARAM wparam,
                                              LPARAM lparam) {
    // Until the window knows its object, Windows' own handling does: the
    // messages of its creation.
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wparam, lparam);
    }
    // No exception may leave through Windows' own frames.
    try {
        return self->handle_message(message, wparam, lparam);
    } catch (const std::exception& failure) {
        MessageBoxW(window, utf16_of(failure.what()).c_str(),
                    utf16_of(window::window_design().caption).c_str(), MB_OK | MB_ICONERROR);
        return 0;
    }
}

LRESULT MainWindow::handle_message(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wparam) == IDOK && lparam == 0) {
                press_focused_button();
            } else if (const auto found = notifications_.find(LOWORD(wparam));
                       found != notifications_.end()) {
                found->second(HIWORD(wparam));
            }
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
            return control_colour(message, reinterpret_cast<HDC>(wparam),
                                  reinterpret_cast<HWND>(lparam));
        case WM_DRAWITEM:
            draw_item(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
            return TRUE;
        case WM_TIMER:
            if (wparam == kHeldBackTimer) {
                KillTimer(window_, kHeldBackTimer);
                held_back_ = false;
                show_model();
                return 0;
            }
            break;
        case WM_ACTIVATE:
            // As a dialog does: the focus leaves with the window and comes back with it.
            if (LOWORD(wparam) == WA_INACTIVE) {
                const HWND focus = GetFocus();
                if (focus != nullptr && IsChild(window_, focus)) {
                    focus_ = focus;
                }
            } else if (focus_ != nullptr) {
                SetFocus(focus_);
            }
            return 0;
        case WM_CLOSE:
            // The close box ends the program as "Exit" does, also in the middle of an update.
            if (!model_.ending()) {
                model_.close_box();
            }
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wparam, lparam);
}

void MainWindow::build(const ControlDesign& design, int id) {
    switch (design.kind) {
        case ControlKind::command_button:
            build_button(design, id);
            break;
        case ControlKind::label:
            build_label(design, id);
            break;
        case ControlKind::list_box:
            build_list_box(design, id);
            break;
        case ControlKind::file_list:
            build_file_list(design, id);
            break;
        case ControlKind::folder_list:
            build_folder_list(design, id);
            break;
        case ControlKind::drive_list:
            build_drive_list(design, id);
            break;
        case ControlKind::frame:
            build_frame(design, id);
            break;
    }
}

HWND MainWindow::create(const ControlDesign& design, int id, const wchar_t* window_class,
                        const std::wstring& text, DWORD style, DWORD extended_style,
                        int extra_height, HFONT font) {
    const HWND container =
        design.container == window::window_design().name ? window_ : control(design.container);
    style |= WS_CHILD | WS_CLIPSIBLINGS;
    if (design.visible) {
        style |= WS_VISIBLE;
    }
    const HWND control = CreateWindowExW(
        extended_style, window_class, text.c_str(), style, pixels(design.left), pixels(design.top),
        pixels(design.width), pixels(design.height) + extra_height, container,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (control == nullptr) {
        throw std::runtime_error(windows_error("the control " + std::string(design.name)));
    }
    controls_.push_back(control);
    designs_.emplace(control, &design);
    SendMessageW(control, WM_SETFONT,
                 reinterpret_cast<WPARAM>(
                     font != nullptr ? font : fonts_.font(design.font.value_or(kWindowFont))),
                 FALSE);
    return control;
}

void MainWindow::build_button(const ControlDesign& design, int id) {
    window::CommandButton& model = model_.button_of(design);
    create(design, id, WC_BUTTONW, utf16_of(model.Caption()), WS_TABSTOP | BS_PUSHBUTTON);
    notifications_[id] = [this, &model](WORD code) {
        if (code == BN_CLICKED) {
            run_event([&] { model.press(); });
        }
    };
}

// A caption is fitted to its label's width once, by a smaller size of the
// label's font where needed.
void MainWindow::build_label(const ControlDesign& design, int id) {
    const window::Label& model = model_.label_of(design);
    const std::wstring caption = utf16_of(model.Caption());
    const HWND label =
        create(design, id, WC_STATICW, caption, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, 0,
               fonts_.fitting(design.font.value_or(kWindowFont), caption, pixels(design.width)));
    labels_.push_back(LabelView{
        &model, label, std::nullopt, caption, POINT{pixels(design.left), pixels(design.top)}, {}});
}

void MainWindow::build_list_box(const ControlDesign& design, int id) {
    window::ListBox& model = model_.list_box_of(design);
    const HWND list =
        create(design, id, WC_LISTBOXW, L"",
               WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, WS_EX_CLIENTEDGE);
    notifications_[id] = [this, &model, list](WORD code) {
        if (code == LBN_SELCHANGE) {
            const LRESULT row = SendMessageW(list, LB_GETCURSEL, 0, 0);
            if (row >= 0) {
                run_event([&] { model.select(static_cast<window::ListIndex>(row)); });
            }
        } else if (code == LBN_DBLCLK) {
            run_event([&] { model.double_click(); });
        }
    };
    list_boxes_.push_back({&model, list, std::nullopt});
}

void MainWindow::build_file_list(const ControlDesign& design, int id) {
    const window::FileList& model = model_.file_list_of(design);
    const HWND list = create(design, id, WC_LISTBOXW, L"",
                             WS_TABSTOP | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, WS_EX_CLIENTEDGE);
    file_lists_.push_back({&model, list, std::nullopt});
}

void MainWindow::build_folder_list(const ControlDesign& design, int id) {
    window::FolderList& model = model_.folder_list_of(design);
    const HWND list = create(design, id, WC_LISTBOXW, L"",
                             WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
                                 LBS_OWNERDRAWFIXED | LBS_HASSTRINGS,
                             WS_EX_CLIENTEDGE);
    auto view = std::make_unique<FolderListView>(list, [this, &model](const std::string& folder) {
        run_event([&] { model.set_Path(folder); });
    });
    FolderListView& shown = *view;
    notifications_[id] = [&shown](WORD code) {
        if (code == LBN_DBLCLK) {
            shown.open_selected();
        }
    };
    folder_lists_.emplace_back(&model, std::move(view));
}

// A drop-down list box is as high as its closed box; the height it is made
// with includes the list that drops down. The closed box is given the
// design's height through the height of its selection field, which the box
// exceeds by its borders: the field is set once to learn by how much.
void MainWindow::build_drive_list(const ControlDesign& design, int id) {
    window::DriveList& model = model_.drive_list_of(design);
    const HWND combo = create(design, id, WC_COMBOBOXW, L"",
                              WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, kDropDownHeight);
    const int height = pixels(design.height);
    SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height);
    RECT closed{};
    GetWindowRect(combo, &closed);
    SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
                 2 * height - (closed.bottom - closed.top));
    drive_list_ = std::make_unique<DriveCombo>(
        combo, model,
        [this, &model](const std::string& drive) { run_event([&] { model.set_Drive(drive); }); });
    notifications_[id] = [this](WORD code) { drive_list_->notified(code); };
}

void MainWindow::build_frame(const ControlDesign& design, int id) {
    const HWND frame = create(design, id, WC_BUTTONW, utf16_of(design.text), BS_GROUPBOX);
    SetWindowSubclass(frame, forward_to_window, kForwardingSubclass,
                      reinterpret_cast<DWORD_PTR>(window_));
}

// Tab goes from control to control in the order of their windows, so each
// container's controls are put in the order of their tab indexes. Labels
// paint their whole rectangle and write from its top, so where two overlap
// the lower one goes on top: each keeps its first line in sight. Labels take
// no focus, so their place among the others leaves the tab order as it is.
void MainWindow::stack_controls() {
    std::vector<std::pair<int, HWND>> by_tab_index;
    for (const auto& [control, design] : designs_) {
        by_tab_index.emplace_back(design->tab_index, control);
    }
    std::sort(by_tab_index.begin(), by_tab_index.end());
    constexpr UINT kOrderOnly = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    for (const auto& [tab_index, control] : by_tab_index) {
        SetWindowPos(control, HWND_BOTTOM, 0, 0, 0, 0, kOrderOnly);
    }
    std::vector<const LabelView*> labels;
    for (const LabelView& view : labels_) {
        labels.push_back(&view);
    }
    std::stable_sort(labels.begin(), labels.end(), [](const LabelView* a, const LabelView* b) {
        return a->position.y < b->position.y;
    });
    for (const LabelView* view : labels) {
        SetWindowPos(view->control, HWND_TOP, 0, 0, 0, 0, kOrderOnly);
    }
}

LRESULT MainWindow::control_colour(UINT message, HDC dc, HWND control) {
    const LRESULT usual = DefWindowProcW(window_, message, reinterpret_cast<WPARAM>(dc),
                                         reinterpret_cast<LPARAM>(control));
    const auto found = designs_.find(control);
    if (found == designs_.end()) {
        return usual;
    }
    const ControlDesign& design = *found->second;
    if (design.text_colour) {
        SetTextColor(dc, colour_ref(*design.text_colour));
    }
    if (design.back_colour) {
        SetBkColor(dc, colour_ref(*design.back_colour));
        return reinterpret_cast<LRESULT>(back_brush(design));
    }
    return usual;
}

HBRUSH MainWindow::back_brush(const ControlDesign& design) {
    return design.back_colour ? brushes_.brush(colour_ref(*design.back_colour))
                              : GetSysColorBrush(COLOR_WINDOW);
}

void MainWindow::draw_item(const DRAWITEMSTRUCT& item) {
    for (const auto& [model, view] : folder_lists_) {
        if (view->handle() == item.hwndItem) {
            const HGDIOBJ before = SelectObject(
                item.hDC, reinterpret_cast<HGDIOBJ>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
            view->draw(item, back_brush(*designs_.at(item.hwndItem)));
            SelectObject(item.hDC, before);
        }
    }
}

// Enter, handed to the window by the dialog keys, presses the button that has
// the focus, as in a dialog.
void MainWindow::press_focused_button() {
    const HWND focus = GetFocus();
    const auto found = designs_.find(focus);
    if (found != designs_.end() && found->second->kind == ControlKind::command_button) {
        SendMessageW(focus, BM_CLICK, 0, 0);
    }
}

bool MainWindow::in_sight(HWND control) const {
    if (!IsWindowVisible(control)) {
        return false;
    }
    RECT bounds{};
    GetWindowRect(control, &bounds);
    MapWindowPoints(HWND_DESKTOP, window_, reinterpret_cast<POINT*>(&bounds), 2);
    RECT client{};
    GetClientRect(window_, &client);
    RECT common{};
    return IntersectRect(&common, &bounds, &client) != FALSE;
}

void MainWindow::show_label(LabelView& view) {
    const std::uint64_t revision = view.model->revision();
    if (view.shown == revision) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (actions_.any_running() && now - view.changed < kFrame) {
        if (!held_back_) {
            SetTimer(window_, kHeldBackTimer, static_cast<UINT>(kFrame.count()), nullptr);
            held_back_ = true;
        }
        return;
    }
    view.shown = revision;
    std::wstring caption = utf16_of(view.model->Caption());
    if (caption != view.caption) {
        SetWindowTextW(view.control, caption.c_str());
        view.caption = std::move(caption);
        view.changed = now;
    }
    const POINT position{pixels_of_twips(view.model->Left()), pixels_of_twips(view.model->Top())};
    if (position.x != view.position.x || position.y != view.position.y) {
        SetWindowPos(view.control, nullptr, position.x, position.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        view.position = position;
    }
}

// Lists the model's items in the list box when they changed since it last did.
template <typename ListModel>
void MainWindow::show_items(ListView<ListModel>& view) {
    if (view.shown == view.model->revision()) {
        return;
    }
    view.shown = view.model->revision();
    SendMessageW(view.control, LB_RESETCONTENT, 0, 0);
    for (window::ListIndex i = 0; i < view.model->ListCount(); ++i) {
        const std::wstring item = utf16_of(view.model->List(i));
        SendMessageW(view.control, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
}

void MainWindow::show_model() {
    // Whether a model changed is asked first: it costs less than whether its
    // control is in sight, which asks Windows.
    for (LabelView& view : labels_) {
        if (view.shown != view.model->revision() && to_show(view.control)) {
            show_label(view);
        }
    }
    for (ListView<window::ListBox>& view : list_boxes_) {
        const std::size_t selected = static_cast<std::size_t>(view.model->selected());
        if ((view.shown == view.model->revision() && view.selected == selected) ||
            !to_show(view.control)) {
            continue;
        }
        show_items(view);
        if (SendMessageW(view.control, LB_GETCURSEL, 0, 0) != static_cast<LRESULT>(selected)) {
            SendMessageW(view.control, LB_SETCURSEL, selected, 0);
        }
        view.selected = selected;
    }
    for (ListView<const window::FileList>& view : file_lists_) {
        if (view.shown != view.model->revision() && to_show(view.control)) {
            show_items(view);
        }
    }
    for (const auto& [model, view] : folder_lists_) {
        if (!view->shows(*model) && to_show(view->handle())) {
            view->show_folder(*model, model_.Drive1.drives());
        }
    }
    drive_list_->show_selection();
}

void MainWindow::run_event(const std::function<void()>& event) {
    const auto report = [this](const std::string& failure) {
        MessageBoxW(window_, utf16_of(failure).c_str(),
                    utf16_of(window::window_design().caption).c_str(), MB_OK | MB_ICONWARNING);
    };
    if (actions_.run(model_, event, report)) {
        show_model();
    }
}

}  // namespace listsong_win32
