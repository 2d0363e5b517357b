// The database header (page 0): format version, sort order, code page. The
// layout of page 0 is described in header_page_format.h.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "jet/header_page_format.h"
#include "jet/page.h"

namespace jet {

struct Header {
    std::uint16_t sort_order = 0;  // collation LCID, 1033 = General
    std::uint16_t code_page = 0;   // the header's code page field (Access 97 leaves it at 1252)
};

// The RC4 keystream the masked region of page 0 is XOR-ed with, both when the
// header is read and when it is written.
std::array<std::uint8_t, header_page_format::kMaskLength> header_mask_keystream();

// Reads page 0. Throws UnsupportedFile for files of another Access version,
// encoded files and files that are not Access databases at all.
Header read_header(const Page& page0);

}  // namespace jet
