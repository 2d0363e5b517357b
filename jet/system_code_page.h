// Windows' ANSI code page, reported by the platform layer (jet/platform/) for
// data_code_page_for_locale (codepage.h) alone: on Windows it is the system's
// code page a database's text falls back to; other systems have none, and
// their locale decides instead.
#pragma once

#include <optional>

namespace jet {

// Windows' ANSI code page (874 on a Thai Windows); empty on other systems,
// whose locale names it instead.
std::optional<int> windows_ansi_code_page();

}  // namespace jet
