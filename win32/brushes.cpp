#include "win32/brushes.h"

#include <stdexcept>

namespace listsong_win32 {

COLORREF colour_ref(window::Rgb rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

Brushes::~Brushes() {
    for (const auto& [colour, brush] : brushes_) {
        DeleteObject(brush);
    }
}

HBRUSH Brushes::brush(COLORREF colour) {
    if (const auto found = brushes_.find(colour); found != brushes_.end()) {
        return found->second;
    }
    const HBRUSH brush = CreateSolidBrush(colour);
    if (brush == nullptr) {
        throw std::runtime_error("Windows could not make a brush of the colour " +
                                 std::to_string(colour));
    }
    brushes_.emplace(colour, brush);
    return brush;
}

}  // namespace listsong_win32
