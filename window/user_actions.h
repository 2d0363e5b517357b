// How a front end runs the user's actions (a click, a key, a choice in a list)
// on the window object.
#pragma once

#include <functional>
#include <string>

#include "window/re_name_fold.h"

namespace window {

// Runs the user's actions and knows how many are running, one inside another:
// an update lets events through once per song, so a click may run while an
// update does. A front end brings only the controls in sight up to date while
// any action runs.
class UserActions {
  public:
    // Runs `action` unless the program is ending. A std::exception it throws
    // goes to `report_failure` with its message, unless the program ended
    // meanwhile. Returns whether the program goes on, so that the front end
    // brings its controls in line with the models.
    bool run(const ReNameFold& model, const std::function<void()>& action,
             const std::function<void(const std::string&)>& report_failure);

    bool any_running() const { return running_ > 0; }

  private:
    int running_ = 0;
};

}  // namespace window
