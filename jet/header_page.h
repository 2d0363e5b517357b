// Reading the database header (page 0): format version, sort order, code
// page. The layout of page 0 is described in header_page_format.h.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "jet/header.h"
#include "jet/header_page_format.h"
#include "jet/page.h"

namespace jet {

// The RC4 keystream the masked region of page 0 is XOR-ed with, both when the
// header is read and when it is written.
std::array<std::uint8_t, header_page_format::kMaskLength> header_mask_keystream();

// Reads page 0. Throws UnsupportedFile for files of another Access version,
// encoded files and files that are not Access databases at all.
Header read_header(const Page& page0);

}  // namespace jet
