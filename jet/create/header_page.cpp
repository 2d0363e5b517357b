// Page 0 of a new database: the layout of header_page_format.h with the
// bytes every Access 97 file has at the start of the masked region, the
// given sort order, code page 1252, no database key, no password, and every
// commit byte pair 00 01 (no write in progress).
#include "jet/create/header_page.h"

#include "jet/coding.h"
#include "jet/header_page.h"
#include "jet/header_page_format.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace jet {
namespace {

namespace format = header_page_format;

constexpr std::uint16_t kHeaderCodePage = 1252;

}  // namespace

void build_header_page(Page& page, std::uint16_t sort_order) {
    page.fill(0);
    page[0] = static_cast<std::uint8_t>(PageType::DatabaseHeader);
    page[format::kMarkOffset] = format::kMark;
    std::memcpy(page.data() + format::kMagicOffset, format::kJetMagic, format::kMagicLength);
    put_u32le(page.data() + format::kVersionOffset, format::kJet3Version);

    std::array<std::uint8_t, format::kMaskLength> region{};
    const std::uint8_t leading[] = {0x00, 0x01, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00,
                                    0x02, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,
                                    0x04, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00};
    std::copy(std::begin(leading), std::end(leading), region.begin());
    auto at = [&](std::size_t offset) { return region.data() + (offset - format::kMaskStart); };
    put_u16le(at(format::kSortOrderOffset), sort_order);
    put_u16le(at(format::kCodePageOffset), kHeaderCodePage);
    const auto keystream = header_mask_keystream();
    for (std::size_t i = 0; i < format::kMaskLength; ++i) {
        page[format::kMaskStart + i] = region[i] ^ keystream[i];
    }
    for (std::size_t slot = format::kCommitBytesOffset;
         slot < format::kCommitBytesOffset + format::kCommitBytesLength;
         slot += format::kCommitSlotSize) {
        page[slot + 1] = format::kCommitSlotMark;
    }
}

}  // namespace jet
