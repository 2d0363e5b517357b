// What the database header (page 0) tells the engine's users: the sort order
// and the code page field. Reading page 0 is header_page.h's.
#pragma once

#include <cstdint>

namespace jet {

struct Header {
    std::uint16_t sort_order = 0;  // collation LCID, 1033 = General
    std::uint16_t code_page = 0;   // the header's code page field (Access 97 leaves it at 1252)
};

}  // namespace jet
