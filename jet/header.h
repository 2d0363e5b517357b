// The database header (page 0): format version, sort order, code page. The
// layout of page 0 is described at the top of header.cpp.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "jet/page.h"

namespace jet {

struct Header {
    std::uint16_t sort_order = 0;  // collation LCID, 1033 = General
    std::uint16_t code_page = 0;   // the header's code page field (Access 97 leaves it at 1252)
};

// Page 0 bytes 0x18 to 0x95 are XOR-ed with this RC4 keystream (key C7 DA 39 6B),
// both when the header is read and when it is written.
constexpr std::size_t kHeaderMaskStart = 0x18;
constexpr std::size_t kHeaderMaskLength = 126;
std::array<std::uint8_t, kHeaderMaskLength> header_mask_keystream();

// Reads page 0. Throws UnsupportedFile for files of another Access version,
// encoded files and files that are not Access databases at all.
Header read_header(const Page& page0);

}  // namespace jet
