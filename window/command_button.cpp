#include "window/command_button.h"

namespace window {

CommandButton::CommandButton(const ControlDesign& design)
    : design_(design), caption_(design.text) {}

void CommandButton::press() {
    if (shown() && enabled_ && click_) {
        click_();
    }
}

}  // namespace window
