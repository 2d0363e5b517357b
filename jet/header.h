// The database header (page 0): format version, sort order, code page.
#pragma once

#include <cstdint>

#include "jet/page.h"

namespace jet {

struct Header {
    std::uint16_t sort_order = 0;  // collation LCID, 1033 = General
    std::uint16_t code_page = 0;   // the header's code page field (Access 97 leaves it at 1252)
};

// Reads page 0. Throws UnsupportedFile for files of another Access version,
// encoded files and files that are not Access databases at all.
Header read_header(const Page& page0);

}  // namespace jet
