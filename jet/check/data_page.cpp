// The layout of a data page is described in data_page_format.h. What is checked:
// the page type bytes; the slot count fits the page; every slot's offset lies
// in the row area below the offset table, and offsets decrease from slot to
// slot (slot i ends where slot i-1 starts, so rows cannot overlap), only a
// deleted row may be empty (Access empties deleted long-value rows, whose
// offsets then equal the row above, 2048 at the top of the page); no slot
// carries the unused flag 0x2000; and the free-space field equals the gap
// between the offset table and the lowest row: start of the last slot's row
// minus (10 + 2 × slots), 2038 on an empty page.
#include "jet/check/data_page.h"

#include "jet/coding.h"
#include "jet/data_page_format.h"

namespace jet {

namespace format = data_page_format;

bool check_data_page_layout(const Page& page, PageNumber number, const std::string& structure,
                            FindingLog& log) {
    if (page[0] != static_cast<std::uint8_t>(PageType::Data) ||
        page[format::kMarkOffset] != format::kMark) {
        log.error(number, structure,
                  "expected a data page (01 01), found type bytes " + std::to_string(page[0]) +
                      " " + std::to_string(page[format::kMarkOffset]));
        return false;
    }
    const unsigned slots = get_u16le(page.data() + format::kRowCountOffset);
    if (slots > format::kMaxRowSlots) {
        log.error(number, structure,
                  std::to_string(slots) + " row slots, more than the 256 a row number can name");
        return false;
    }
    const auto table_end = static_cast<unsigned>(format::row_offset_table_end(slots));
    bool usable = true;
    unsigned previous_start = kPageSize;
    for (unsigned row = 0; row < slots; ++row) {
        const std::uint16_t entry = get_u16le(page.data() + format::row_offset_entry(row));
        const unsigned start = entry & format::kRowOffsetMask;
        const std::string slot = "row " + std::to_string(row);
        if (entry & format::kUnknownFlag) {
            log.error(number, structure,
                      slot + " has the unknown flag 0x2000 set in its offset entry");
        }
        const bool deleted = (entry & format::kRowFlagsMask) == format::kDeletedFlags;
        // A deleted row may be empty, and an empty one at the end of the page starts at 2048.
        const unsigned row_area_end = deleted ? kPageSize : kPageSize - 1;
        if (start < table_end || start > row_area_end) {
            log.error(number, structure,
                      slot + " starts at byte " + std::to_string(start) +
                          ", outside the row area (" + std::to_string(table_end) + "-2047)");
            usable = false;
            continue;
        }
        if (start > previous_start) {
            log.error(number, structure,
                      slot + " starts at byte " + std::to_string(start) + ", above the start of " +
                          "the row before it (" + std::to_string(previous_start) +
                          "): row offsets must decrease");
            usable = false;
        } else if (start == previous_start && !deleted) {
            log.error(number, structure, slot + " is empty (zero bytes long)");
        }
        previous_start = start;
    }
    const unsigned lowest = slots == 0 ? kPageSize : previous_start;
    const unsigned expected_free = lowest >= table_end ? lowest - table_end : 0;
    const unsigned stored_free = get_u16le(page.data() + format::kFreeSpaceOffset);
    if (usable && stored_free != expected_free) {
        log.error(number, structure,
                  "free space field is " + std::to_string(stored_free) + ", but the rows leave " +
                      std::to_string(expected_free) + " bytes free");
    }
    return usable;
}

}  // namespace jet
