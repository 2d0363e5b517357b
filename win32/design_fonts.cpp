#include "win32/design_fonts.h"

#include <cmath>
#include <stdexcept>

#include "win32/wide_text.h"

namespace listsong_win32 {

namespace {

constexpr float kPointsPerInch = 72;
constexpr float kPixelsPerInch = 96;
// A caption is never shrunk below this to fit its label.
constexpr float kSmallestPoints = 6;
constexpr float kShrinkStep = 0.25F;

int text_width(HFONT font, std::wstring_view text) {
    HDC screen = GetDC(nullptr);
    const HGDIOBJ before = SelectObject(screen, font);
    SIZE size{};
    GetTextExtentPoint32W(screen, text.data(), static_cast<int>(text.size()), &size);
    SelectObject(screen, before);
    ReleaseDC(nullptr, screen);
    return size.cx;
}

}  // namespace

const window::FontDesign kWindowFont{"Tahoma", 8, false, true};

int pixel_height(float points) {
    return static_cast<int>(std::lround(points * kPixelsPerInch / kPointsPerInch));
}

Fonts::~Fonts() {
    for (const auto& [key, font] : fonts_) {
        DeleteObject(font);
    }
}

HFONT Fonts::font(const window::FontDesign& design) {
    return sized(design, design.points);
}

HFONT Fonts::fitting(const window::FontDesign& design, std::wstring_view text, int width) {
    float points = design.points;
    HFONT font = sized(design, points);
    while (text_width(font, text) > width && points - kShrinkStep >= kSmallestPoints) {
        points -= kShrinkStep;
        font = sized(design, points);
    }
    return font;
}

HFONT Fonts::sized(const window::FontDesign& design, float points) {
    const Key key{std::string(design.face), points, design.bold, design.thai_character_set};
    if (const auto found = fonts_.find(key); found != fonts_.end()) {
        return found->second;
    }
    const std::wstring face = utf16_of(design.face);
    const HFONT font = CreateFontW(
        -pixel_height(points), 0, 0, 0, design.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
        design.thai_character_set ? THAI_CHARSET : DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str());
    if (font == nullptr) {
        throw std::runtime_error("Windows could not make the font \"" + std::string(design.face) +
                                 "\" of " + std::to_string(points) + " points");
    }
    fonts_.emplace(key, font);
    return font;
}

}  // namespace listsong_win32
