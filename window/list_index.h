// The type of list positions and counts shared by every list model.
#pragma once

#include <cstdint>

namespace window {

// Positions and counts of list items. A folder in a song collection can hold
// tens of thousands of entries, so the type holds any count a file system gives.
using ListIndex = std::int64_t;

}  // namespace window
