// The model of a frame, the box that groups controls on the window: only its
// caption matters to the logic; the controls inside it are the window's own.
#pragma once

#include <string>

#include "window/design_table.h"

namespace window {

class Frame {
  public:
    explicit Frame(const ControlDesign& design) : design_(design), caption_(design.text) {}

    const std::string& Caption() const { return caption_; }
    const ControlDesign& design() const { return design_; }

  private:
    const ControlDesign& design_;
    std::string caption_;
};

}  // namespace window
