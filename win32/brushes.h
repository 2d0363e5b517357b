// The window's colours as Windows wants them: COLORREF values and the
// brushes that paint labels' and lists' backs.
#pragma once

#include <windows.h>

#include <map>

#include "window/design_table.h"

namespace listsong_win32 {

// A design colour (0xRRGGBB) as Windows writes colours (0x00BBGGRR).
COLORREF colour_ref(window::Rgb rgb);

// Solid brushes of the window's colours, each made once and deleted with the
// object.
class Brushes {
  public:
    Brushes() = default;
    ~Brushes();
    Brushes(const Brushes&) = delete;
    Brushes& operator=(const Brushes&) = delete;

    HBRUSH brush(COLORREF colour);

  private:
    std::map<COLORREF, HBRUSH> brushes_;
};

}  // namespace listsong_win32
