// The type of the handlers that control models call when they raise events.
#pragma once

#include <functional>

namespace window {

// What a control calls when it raises an event. The window object installs
// these; a control without one raises nothing. The call is synchronous: it runs
// to its end inside the operation that raised the event.
using EventHandler = std::function<void()>;

}  // namespace window
