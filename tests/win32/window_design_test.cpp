// The window on the screen against the design table it is built from.
#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "tests/win32/win32_window_fixture.h"
#include "win32/brushes.h"
#include "win32/wide_text.h"
#include "window/design_table.h"

namespace listsong_win32::testing {
namespace {

using window::ControlDesign;
using window::ControlKind;

// A control's place and size in its container's client area.
RECT place_in_container(HWND control) {
    RECT place{};
    GetWindowRect(control, &place);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

RECT designed_place(const ControlDesign& design) {
    const auto pixels = [](int twips) { return static_cast<LONG>(std::lround(twips / 15.0)); };
    return RECT{pixels(design.left), pixels(design.top), pixels(design.left + design.width),
                pixels(design.top + design.height)};
}

std::string describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " +
           std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}

// The question a control asks its container before it paints itself.
UINT colour_question(ControlKind kind) {
    switch (kind) {
        case ControlKind::label:
        case ControlKind::frame:
            return WM_CTLCOLORSTATIC;
        case ControlKind::command_button:
            return WM_CTLCOLORBTN;
        default:
            return WM_CTLCOLORLISTBOX;
    }
}

// What the container answers: the colours it sets in the control's device
// context and the brush it gives for the background.
struct PaintColours {
    COLORREF text;
    COLORREF back;
    COLORREF brush;
};

PaintColours answered_colours(HWND control, ControlKind kind) {
    HDC dc = CreateCompatibleDC(nullptr);
    const auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(GetParent(control), colour_question(kind), reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(control)));
    LOGBRUSH brush_design{};
    GetObjectW(brush, sizeof(brush_design), &brush_design);
    const PaintColours colours{GetTextColor(dc), GetBkColor(dc), brush_design.lbColor};
    DeleteDC(dc);
    return colours;
}

LOGFONTW font_of(HWND control) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(font),
               &font);
    return font;
}

class WindowDesignTest : public Win32WindowTest {};

TEST_F(WindowDesignTest, EveryControlHasItsDesignedPlaceLookAndVisibility) {
    window::ReNameFold before_load(toolkit);
    MainWindow fresh(before_load);
    fresh.show();
    RECT client{};
    GetClientRect(fresh.handle(), &client);
    for (const ControlDesign& design : window::control_designs()) {
        SCOPED_TRACE(std::string(design.name) + " " + std::to_string(design.index));
        const HWND control = fresh.control(design.name, design.index);
        const HWND container =
            design.container == "ReNameFold" ? fresh.handle() : fresh.control(design.container);
        EXPECT_EQ(GetParent(control), container);
        EXPECT_EQ(describe(place_in_container(control)), describe(designed_place(design)));

        RECT on_screen{};
        GetWindowRect(control, &on_screen);
        MapWindowPoints(HWND_DESKTOP, fresh.handle(), reinterpret_cast<POINT*>(&on_screen), 2);
        RECT common{};
        const bool in_sight =
            IsWindowVisible(control) && IntersectRect(&common, &on_screen, &client);
        const bool designed_in_sight = design.visible && design.container == "ReNameFold" &&
                                       design.left < window::window_design().client_width;
        EXPECT_EQ(in_sight, designed_in_sight);
        EXPECT_EQ((GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0, design.visible);

        if (design.kind == ControlKind::label || design.kind == ControlKind::command_button ||
            design.kind == ControlKind::frame) {
            EXPECT_EQ(window_text(control), design.text);
        }
        const PaintColours colours = answered_colours(control, design.kind);
        if (design.back_colour) {
            EXPECT_EQ(colours.back, colour_ref(*design.back_colour));
            EXPECT_EQ(colours.brush, colour_ref(*design.back_colour));
        }
        if (design.text_colour) {
            EXPECT_EQ(colours.text, colour_ref(*design.text_colour));
        }
        const LOGFONTW font = font_of(control);
        const window::FontDesign expected = design.font.value_or(kWindowFont);
        EXPECT_EQ(utf8_of(font.lfFaceName), expected.face);
        EXPECT_EQ(font.lfWeight >= FW_BOLD, expected.bold);
        EXPECT_EQ(font.lfCharSet, expected.thai_character_set ? THAI_CHARSET : DEFAULT_CHARSET);
        // A label's font may be smaller, for its caption to fit.
        EXPECT_LE(-font.lfHeight, pixel_height(expected.points));
    }
}

TEST_F(WindowDesignTest, TheFolderListsPaintTheirDesignedBackColours) {
    open_window();
    UpdateWindow(view->handle());
    for (const char* name : {"Dir1", "Dir2", "Dir3"}) {
        SCOPED_TRACE(name);
        const HWND list = control(name);
        RECT inside{};
        GetClientRect(list, &inside);
        HDC dc = GetDC(list);
        // Below the last line, near the bottom of the list.
        const COLORREF painted = GetPixel(dc, inside.right / 2, inside.bottom - 4);
        ReleaseDC(list, dc);
        EXPECT_EQ(painted, colour_ref(*window::control_design(name).back_colour));
    }
}

// The window's size, caption and boxes come from the design table, and it
// carries the program's icon in the system's size.
TEST_F(WindowDesignTest, TheWindowHasTheDesignedSizeCaptionAndBoxesAndTheProgramsIcon) {
    const window::WindowDesign& design = window::window_design();
    open_window();
    const HWND window = view->handle();
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, design.client_width / 15);
    EXPECT_EQ(client.bottom, design.client_height / 15);
    EXPECT_EQ(window_text(window), design.caption);
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_EQ((style & WS_SYSMENU) != 0, design.close_box);
    EXPECT_EQ((style & WS_THICKFRAME) != 0, design.resizable);
    EXPECT_EQ((style & WS_MINIMIZEBOX) != 0, design.minimise_button);
    EXPECT_EQ((style & WS_MAXIMIZEBOX) != 0, design.maximise_button);
    const auto icon = reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICON));
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP picture{};
    GetObjectW(info.hbmColor, sizeof(picture), &picture);
    EXPECT_EQ(picture.bmWidth, GetSystemMetrics(SM_CXICON));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

TEST_F(WindowDesignTest, TabGoesThroughTheDesignedOrderAndDrive1HasTheFocus) {
    open_window();
    std::map<HWND, std::string> names;
    for (const ControlDesign& design : window::control_designs()) {
        names[control(design.name, design.index)] = design.name;
    }
    EXPECT_EQ(names[GetFocus()], "Drive1");

    std::vector<std::string> order{names[GetFocus()]};
    for (int step = 0; step < 7; ++step) {
        press_key(GetFocus(), VK_TAB);
        order.push_back(names[GetFocus()]);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"Drive1", "Dir1", "Command1", "List3", "Dir2",
                                               "Dir3", "CmdChDir", "Drive1"}));
}

// Thai must come out as letters with their marks, not boxes, and the
// instruction lines must fit their labels on one line.
TEST_F(WindowDesignTest, ThaiInstructionLinesRenderAndFit) {
    open_window();
    for (const char* name : {"Label6", "Label7"}) {
        SCOPED_TRACE(name);
        const HWND label = control(name);
        const std::wstring caption = utf16_of(window_text(label));
        HDC dc = GetDC(label);
        const HGDIOBJ before =
            SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
        std::vector<WORD> glyphs(caption.size());
        GetGlyphIndicesW(dc, caption.c_str(), static_cast<int>(caption.size()), glyphs.data(),
                         GGI_MARK_NONEXISTING_GLYPHS);
        SIZE extent{};
        GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        SelectObject(dc, before);
        ReleaseDC(label, dc);

        for (std::size_t i = 0; i < caption.size(); ++i) {
            if (caption[i] >= 0x0E00 && caption[i] <= 0x0E7F) {
                EXPECT_NE(glyphs[i], 0xFFFF)
                    << "no glyph for U+" << std::hex << static_cast<unsigned>(caption[i]);
            }
        }
        RECT inside{};
        GetClientRect(label, &inside);
        EXPECT_LE(extent.cx, inside.right);
        EXPECT_LE(metrics.tmHeight, inside.bottom);
    }
}

TEST_F(WindowDesignTest, StartUpCentresTheOuterWindowOnTheWorkArea) {
    open_window();
    RECT outer{};
    GetWindowRect(view->handle(), &outer);
    RECT client{};
    GetClientRect(view->handle(), &client);
    EXPECT_GT(outer.bottom - outer.top, client.bottom);  // the caption bar counts
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_LE(std::abs((outer.left + outer.right) - (work.left + work.right)), 2);
    EXPECT_LE(std::abs((outer.top + outer.bottom) - (work.top + work.bottom)), 2);
}

TEST_F(WindowDesignTest, StartUpFillsTheHiddenListsThatTheWindowShowsFromTheModel) {
    tree.folder("a/music/one");
    tree.folder("a/music/two");
    open_window();
    const HWND list1 = control("List1");
    ASSERT_EQ(SendMessageW(list1, LB_GETCOUNT, 0, 0), 2);
    wchar_t first[MAX_PATH] = {};
    SendMessageW(list1, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_EQ(utf8_of(first), text(tree.root() / "a/music/one"));
    EXPECT_EQ(window_text(control("Label1")), "2   folder");
    // The strip of labels hangs one below the other after start-up.
    EXPECT_EQ(describe(place_in_container(control("Label2", 21))),
              describe(RECT{8, (285 + 210 * 21) / 15, 8 + 17, (285 + 210 * 21) / 15 + 17}));
}

TEST_F(WindowDesignTest, TheDriveListOffersTheMachinesDrivesWithTheirLabels) {
    const Win32Toolkit machine;
    const std::vector<window::Drive> drives = machine.drives();
    ASSERT_FALSE(drives.empty());
    const auto c = std::find_if(drives.begin(), drives.end(),
                                [](const window::Drive& d) { return d.root == L"C:\\"; });
    ASSERT_NE(c, drives.end());
    EXPECT_EQ(c->text.substr(0, 2), "c:");
    wchar_t label[MAX_PATH + 1] = {};
    GetVolumeInformationW(L"C:\\", label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(c->text, label[0] == 0 ? "c:" : "c: [" + utf8_of(label) + "]");
}

}  // namespace
}  // namespace listsong_win32::testing
