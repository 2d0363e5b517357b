// The screen as the window's start-up sees it: its size in twips.
#pragma once

#include "window/toolkit.h"

namespace window {

// The whole display, in twips.
class Screen {
  public:
    explicit Screen(const Toolkit& toolkit) : toolkit_(toolkit) {}

    float Width() const { return toolkit_.screen_size().width; }
    float Height() const { return toolkit_.screen_size().height; }

  private:
    const Toolkit& toolkit_;
};

}  // namespace window
