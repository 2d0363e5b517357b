// The caption of the folder count label, written at start-up and on every
// change of Dir1.
#pragma once

#include <string>

#include "window/list_index.h"

namespace window {

// The text of the count label Label1: "0   folder", "12   folder".
inline std::string folder_count_caption(ListIndex count) {
    return std::to_string(count) + "   folder";
}

}  // namespace window
