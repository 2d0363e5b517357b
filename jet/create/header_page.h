// The header page (page 0) of a new database, as create_database writes it.
// Its layout is described in header_page_format.h.
#pragma once

#include <cstdint>

#include "jet/page.h"

namespace jet {

// Writes page 0 of an Access 97 database that is not encoded and has no
// password, with this sort order and the code page 1252 Access 97 writes.
void build_header_page(Page& page, std::uint16_t sort_order);

}  // namespace jet
