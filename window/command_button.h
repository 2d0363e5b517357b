// The model of a command button: its caption from the design and the Click
// it raises when pressed, which a hidden or disabled button never raises.
#pragma once

#include <string>

#include "window/design_table.h"
#include "window/event_handler.h"

namespace window {

// A push button. Whether it is shown comes from the design; it starts enabled.
class CommandButton {
  public:
    explicit CommandButton(const ControlDesign& design);

    const std::string& Caption() const { return caption_; }
    bool shown() const { return design_.visible; }
    bool enabled() const { return enabled_; }
    void set_enabled(bool enabled) { enabled_ = enabled; }

    // The user presses the button with the mouse or the keyboard. Raises Click
    // only when the button is shown and enabled.
    void press();

    void on_click(EventHandler handler) { click_ = std::move(handler); }

    const ControlDesign& design() const { return design_; }

  private:
    const ControlDesign& design_;
    std::string caption_;
    bool enabled_ = true;
    EventHandler click_;
};

}  // namespace window
