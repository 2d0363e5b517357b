// The window's fonts as Windows fonts (HFONT), made from the design table's
// font designs.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <string_view>
#include <tuple>

#include "window/design_table.h"

namespace listsong_win32 {

// The font of every control the design gives none: Tahoma, the face of
// Windows' own dialogs, which draws Thai as well as Latin text.
extern const window::FontDesign kWindowFont;

// The height in pixels of a font of `points`, at the design's 96 dots per inch.
int pixel_height(float points);

// The window's fonts, made from font designs: each face asked for by name, in
// the Thai character set where the design says so, so that Windows draws Thai
// text with a face that holds its letters and marks when the named one does
// not. Each font is made once and deleted with the object.
class Fonts {
  public:
    Fonts() = default;
    ~Fonts();
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;

    HFONT font(const window::FontDesign& design);

    // The design's font at the largest size, from its own down to 6 points in
    // steps of a quarter point, at which `text` fits `width` pixels on one line.
    HFONT fitting(const window::FontDesign& design, std::wstring_view text, int width);

  private:
    HFONT sized(const window::FontDesign& design, float points);

    using Key = std::tuple<std::string, float, bool, bool>;
    std::map<Key, HFONT> fonts_;
};

}  // namespace listsong_win32
