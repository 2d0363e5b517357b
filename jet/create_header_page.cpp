// Page 0 as the engine writes it for a new database (offsets in bytes,
// integers little-endian):
//
//   0x000  u8    0x00 (header page)
//   0x001  u8    0x01
//   0x004  16    "Standard Jet DB\0"
//   0x014  u32   0: Access 97 (Jet 3)
//   0x018  126   masked region: the plain bytes below XOR-ed with the RC4
//                keystream of the key C7 DA 39 6B
//     0x018  34  00 01 00 00 01 01 00 00 02 00 00 00 03 00 00 00
//                04 00 00 00 05 00 00 00, then zeros (as every Access 97 file has)
//     0x03A  u16 sort order (1033 General)
//     0x03C  u16 code page: 1252, which Access 97 writes whatever the machine's
//     0x03E  u32 database key: 0, pages are not encoded
//     0x042  20  password: zeros, none
//     rest   zeros
//   0x600  512   commit bytes: 256 pairs 00 01, no write in progress
// Everything else is zero.
#include "jet/create_header_page.h"

#include "jet/coding.h"
#include "jet/header.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace jet {
namespace {

constexpr std::size_t kMaskStart = kHeaderMaskStart;
constexpr std::size_t kMaskLength = kHeaderMaskLength;
constexpr std::size_t kCommitBytes = 0x600;
constexpr std::uint16_t kHeaderCodePage = 1252;

}  // namespace

void build_header_page(Page& page, std::uint16_t sort_order) {
    page.fill(0);
    page[0] = 0x00;
    page[1] = 0x01;
    std::memcpy(page.data() + 4, "Standard Jet DB", 16);

    std::array<std::uint8_t, kMaskLength> region{};
    const std::uint8_t leading[] = {0x00, 0x01, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00,
                                    0x02, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,
                                    0x04, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00};
    std::copy(std::begin(leading), std::end(leading), region.begin());
    put_u16le(region.data() + (0x3A - kMaskStart), sort_order);
    put_u16le(region.data() + (0x3C - kMaskStart), kHeaderCodePage);
    const auto keystream = header_mask_keystream();
    for (std::size_t i = 0; i < kMaskLength; ++i) {
        page[kMaskStart + i] = region[i] ^ keystream[i];
    }
    for (std::size_t at = kCommitBytes; at < kPageSize; at += 2) {
        page[at + 1] = 0x01;
    }
}

}  // namespace jet
