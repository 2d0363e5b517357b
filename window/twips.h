// Conversion between the design's twips and the screen's pixels, for every
// front end that puts the design on a screen.
#pragma once

#include <cmath>

namespace window {

// The window's design is in twips; the screen has 15 of them to a pixel, as at
// 96 dots per inch, the resolution the design was drawn for.
inline constexpr float kTwipsPerPixel = 15;

inline int pixels_of_twips(float twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

inline float twips_of_pixels(int pixels) {
    return static_cast<float>(pixels) * kTwipsPerPixel;
}

}  // namespace window
