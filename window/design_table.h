// The window's design table: every control's kind, text, place, colours, font,
// visibility and tab order, as data that the model and every front end build from.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace window {

// The design of the window ReNameFold as data: what every control is, where it
// sits and how it looks when the window is created. The window object builds
// its control models from it, and the desktop front end builds its widgets from
// it (15 twips to a pixel).

enum class ControlKind {
    command_button,
    folder_list,
    list_box,
    drive_list,
    frame,
    file_list,
    label
};

enum class EventKind { load, change, click, double_click };

// A colour as 0xRRGGBB.
using Rgb = std::uint32_t;

struct FontDesign {
    std::string_view face;
    float points;
    bool bold;
    bool thai_character_set;
};

// An event of a control and the window handler that it goes to.
struct EventBinding {
    EventKind event;
    std::string_view handler;
};

struct ControlDesign {
    std::string_view name;
    int index;  // the member's index in a control array, or kNotInArray
    ControlKind kind;
    std::string_view text;  // the caption, or a file list's pattern
    int left;               // twips, from the top-left corner of the container
    int top;
    int width;
    int height;
    std::string_view container;  // "ReNameFold" (the client area) or "Frame2"
    bool visible;                // the control's own setting; a hidden frame hides its content too
    int tab_index;
    std::optional<Rgb> back_colour;  // nothing: the toolkit's usual colour
    std::optional<Rgb> text_colour;
    std::optional<FontDesign> font;  // nothing: the window's default font
    std::optional<EventBinding> event;
};

inline constexpr int kNotInArray = -1;

struct WindowDesign {
    std::string_view name;
    std::string_view caption;
    int client_width;  // twips
    int client_height;
    bool resizable;
    bool minimise_button;
    bool maximise_button;
    bool close_box;
    EventBinding load;
};

const WindowDesign& window_design();

// Every control in the order in which the window creates it; the members of a
// control array one after the other.
std::span<const ControlDesign> control_designs();

// The design of one control; throws std::out_of_range for a name it lacks.
const ControlDesign& control_design(std::string_view name, int index = kNotInArray);

}  // namespace window
