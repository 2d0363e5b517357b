#include "window/design_table.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>

namespace window {

namespace {

constexpr std::string_view kWindow = "ReNameFold";
constexpr std::string_view kFrame = "Frame2";

// The red contact line at the top right; it fits the label's 2055 twips in
// 8.25 pt bold.
constexpr std::string_view kContactLine = "Help: 02-555-0199";

constexpr FontDesign kStripFont{"MS Dialog Light", 7.5F, false, true};
constexpr FontDesign kContactFont{"MS Sans Serif", 8.25F, true, true};
constexpr FontDesign kHeadingFont{"MS Sans Serif", 9.75F, true, true};

constexpr WindowDesign kWindowDesign{
    .name = kWindow,
    .caption = "Update Database For Zellowind",
    .client_width = 4830,
    .client_height = 6420,
    .resizable = false,
    .minimise_button = false,
    .maximise_button = false,
    .close_box = true,
    .load = EventBinding{EventKind::load, "Form_Load"},
};

// Name, index, kind, text, left, top, width, height, container, visible, tab,
// back colour, text colour, font, bound event.
const std::array<ControlDesign, 46> kControls{{
    {"CmdChDir", kNotInArray, ControlKind::command_button, "Update database", 600, 5280, 1575, 495,
     kWindow, true, 41, std::nullopt, std::nullopt, std::nullopt,
     EventBinding{EventKind::click, "CmdChDir_Click"}},
    {"Command2", kNotInArray, ControlKind::command_button, "Command2", 3600, 6240, 1095, 375,
     kWindow, false, 38, std::nullopt, std::nullopt, std::nullopt, std::nullopt},
    {"Dir3", kNotInArray, ControlKind::folder_list, "", 3240, 720, 1455, 2970, kWindow, true, 33,
     Rgb{0xFFE0C0}, std::nullopt, std::nullopt, EventBinding{EventKind::change, "Dir3_Change"}},
    {"Dir2", kNotInArray, ControlKind::folder_list, "", 1680, 720, 1455, 2970, kWindow, true, 32,
     Rgb{0xFFFFC0}, std::nullopt, std::nullopt, EventBinding{EventKind::change, "Dir2_Change"}},
    {"Command3", kNotInArray, ControlKind::command_button, "Command3", 4680, 5040, 360, 270,
     kWindow, false, 12, std::nullopt, std::nullopt, std::nullopt, std::nullopt},
    {"List3", kNotInArray, ControlKind::list_box, "", 7680, 240, 1695, 2580, kWindow, true, 4,
     Rgb{0xFFE0C0}, std::nullopt, std::nullopt, EventBinding{EventKind::click, "List3_Click"}},
    {"Command1", kNotInArray, ControlKind::command_button, "Exit", 2760, 5280, 1695, 495, kWindow,
     true, 3, std::nullopt, std::nullopt, std::nullopt,
     EventBinding{EventKind::click, "Command1_Click"}},
    {"Dir1", kNotInArray, ControlKind::folder_list, "", 120, 720, 1455, 2970, kWindow, true, 1,
     Rgb{0xC0FFC0}, std::nullopt, std::nullopt, EventBinding{EventKind::change, "Dir1_Change"}},
    {"Drive1", kNotInArray, ControlKind::drive_list, "", 240, 240, 1935, 330, kWindow, true, 0,
     std::nullopt, std::nullopt, std::nullopt, EventBinding{EventKind::change, "Drive1_Change"}},
    {"Frame2", kNotInArray, ControlKind::frame, "RenameFolder", 5760, 120, 5895, 6015, kWindow,
     false, 5, std::nullopt, std::nullopt, std::nullopt, std::nullopt},
    {"Cmdclearlist2", kNotInArray, ControlKind::command_button, "Clear list", 4680, 5760, 1215, 375,
     kFrame, false, 6, std::nullopt, std::nullopt, std::nullopt, std::nullopt},
    {"LyrFile", kNotInArray, ControlKind::file_list, "*.Lyr", 3840, 2880, 1695, 2130, kFrame, true,
     40, std::nullopt, std::nullopt, std::nullopt, std::nullopt},
    {"CurFile", kNotInArray, ControlKind::file_list, "*.cur", 2040, 2880, 1695, 2130, kFrame, true,
     39, std::nullopt, std::nullopt, std::nullopt, std::nullopt},
    {"MidFile", kNotInArray, ControlKind::file_list, "*.mid", 240, 2880, 1695, 2130, kFrame, true,
     37, std::nullopt, std::nullopt, std::nullopt, std::nullopt},
    {"List1", kNotInArray, ControlKind::list_box, "", 240, 240, 1695, 2580, kFrame, true, 8,
     std::nullopt, std::nullopt, std::nullopt,
     EventBinding{EventKind::double_click, "List1_DblClick"}},
    {"List2", kNotInArray, ControlKind::list_box, "", 2040, 240, 1575, 2580, kFrame, true, 7,
     Rgb{0xC0FFC0}, std::nullopt, std::nullopt, std::nullopt},
    {"Label2", 0, ControlKind::label, "1", 120, 285, 255, 255, kFrame, true, 9, std::nullopt,
     std::nullopt, kStripFont, std::nullopt},
    {"Label2", 1, ControlKind::label, "1", 120, 480, 255, 255, kFrame, true, 10, std::nullopt,
     Rgb{0x000000}, kStripFont, std::nullopt},
    {"Label2", 2, ControlKind::label, "1", 135, 720, 255, 255, kFrame, true, 11, std::nullopt,
     std::nullopt, kStripFont, std::nullopt},
    {"Label2", 3, ControlKind::label, "1", 105, 900, 255, 255, kFrame, true, 13, std::nullopt,
     std::nullopt, kStripFont, std::nullopt},
    {"Label2", 4, ControlKind::label, "1", 105, 1140, 255, 255, kFrame, true, 14, std::nullopt,
     std::nullopt, kStripFont, std::nullopt},
    {"Label2", 5, ControlKind::label, "1", 135, 1350, 255, 255, kFrame, true, 15, std::nullopt,
     std::nullopt, kStripFont, std::nullopt},
    {"Label2", 6, ControlKind::label, "1", 75, 1680, 255, 255, kFrame, true, 16, std::nullopt,
     std::nullopt, kStripFont, std::nullopt},
    {"Label2", 7, ControlKind::label, "1", 0, 0, 255, 255, kFrame, true, 17, std::nullopt,
     std::nullopt, kStripFont, std::nullopt},
    {"Label2", 8, ControlKind::label, "1", 0, 0, 255, 255, kFrame, true, 18, std::nullopt,
     std::nullopt, kStripFont, std::nullopt},
    {"Label2", 9, ControlKind::label, "1", 0, 0, 255, 255, kFrame, true, 19, std::nullopt,
     std::nullopt, kStripFont, std::nullopt},
    {"Label2", 10, ControlKind::label, "1", 0, 0, 255, 255, kFrame, true, 20, std::nullopt,
     std::nullopt, kStripFont, std::nullopt},
    {"Label2", 11, ControlKind::label, "1", 0, 0, 255, 255, kFrame, true, 21, std::nullopt,
     std::nullopt, kStripFont, std::nullopt},
    {"Label2", 12, ControlKind::label, "1", 0, 0, 255, 255, kFrame, true, 22, std::nullopt,
     std::nullopt, kStripFont, std::nullopt},
    {"Label2", 13, ControlKind::label, "1", 0, 0, 255, 255, kFrame, true, 23, std::nullopt,
     std::nullopt, kStripFont, std::nullopt},
    {"Label2", 14, ControlKind::label, "1", 0, 0, 255, 255, kFrame, true, 24, std::nullopt,
     std::nullopt, kStripFont, std::nullopt},
    {"Label2", 15, ControlKind::label, "1", 0, 0, 255, 255, kFrame, true, 25, std::nullopt,
     std::nullopt, kStripFont, std::nullopt},
    {"Label2", 16, ControlKind::label, "1", 0, 0, 255, 255, kFrame, true, 26, std::nullopt,
     std::nullopt, kStripFont, std::nullopt},
    {"Label2", 17, ControlKind::label, "1", 0, 0, 255, 255, kFrame, true, 27, std::nullopt,
     std::nullopt, kStripFont, std::nullopt},
    {"Label2", 18, ControlKind::label, "1", 0, 0, 255, 255, kFrame, true, 28, std::nullopt,
     std::nullopt, kStripFont, std::nullopt},
    {"Label2", 19, ControlKind::label, "1", 0, 0, 255, 255, kFrame, true, 29, std::nullopt,
     std::nullopt, kStripFont, std::nullopt},
    {"Label2", 20, ControlKind::label, "1", 0, 0, 255, 255, kFrame, true, 30, std::nullopt,
     std::nullopt, kStripFont, std::nullopt},
    {"Label2", 21, ControlKind::label, "1", 0, 0, 255, 255, kFrame, true, 31, std::nullopt,
     std::nullopt, kStripFont, std::nullopt},
    {"Label9", kNotInArray, ControlKind::label, "Status:", 240, 6000, 4455, 255, kWindow, true, 45,
     std::nullopt, std::nullopt, std::nullopt, std::nullopt},
    {"Label8", kNotInArray, ControlKind::label, kContactLine, 2520, 240, 2055, 255, kWindow, true,
     44, std::nullopt, Rgb{0xFF0000}, kContactFont, std::nullopt},
    {"Label7", kNotInArray, ControlKind::label, "ใช้กับ database ของ Access97 เท่านั้น ", 240, 4680,
     4095, 375, kWindow, true, 43, std::nullopt, Rgb{0x0000FF}, std::nullopt, std::nullopt},
    {"Label6", kNotInArray, ControlKind::label,
     "เลือก Folder midi,cur,lyric จากนั้น กดปุ่ม Update database", 240, 4440, 4095, 375, kWindow, true,
     42, std::nullopt, Rgb{0x0000FF}, std::nullopt, std::nullopt},
    {"Label5", kNotInArray, ControlKind::label, "Lyr path", 3600, 3720, 1095, 375, kWindow, true,
     36, std::nullopt, std::nullopt, kHeadingFont, std::nullopt},
    {"Label4", kNotInArray, ControlKind::label, "Cur path", 1800, 3720, 1095, 375, kWindow, true,
     35, std::nullopt, std::nullopt, kHeadingFont, std::nullopt},
    {"Label3", kNotInArray, ControlKind::label, "Midi path", 240, 3720, 1215, 375, kWindow, true,
     34, std::nullopt, std::nullopt, kHeadingFont, std::nullopt},
    {"Label1", kNotInArray, ControlKind::label, "0   File", 240, 4080, 1935, 255, kWindow, false, 2,
     std::nullopt, std::nullopt, std::nullopt, std::nullopt},
}};

}  // namespace

const WindowDesign& window_design() {
    return kWindowDesign;
}

std::span<const ControlDesign> control_designs() {
    return kControls;
}

const ControlDesign& control_design(std::string_view name, int index) {
    const auto found =
        std::find_if(kControls.begin(), kControls.end(),
                     [&](const ControlDesign& c) { return c.name == name && c.index == index; });
    if (found == kControls.end()) {
        throw std::out_of_range("The window has no control " + std::string(name) +
                                (index == kNotInArray ? "" : "(" + std::to_string(index) + ")"));
    }
    return *found;
}

}  // namespace window
