// The code page the operating system uses for text in files.
#pragma once

#include <optional>

namespace jet {

// Windows' ANSI code page (874 on a Thai Windows); empty on other systems,
// whose locale names it instead.
std::optional<int> windows_ansi_code_page();

}  // namespace jet
