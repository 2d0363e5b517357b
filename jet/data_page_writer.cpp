#include "jet/data_page_writer.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

#include "jet/coding.h"
#include "jet/data_page_format.h"
#include "jet/error.h"

namespace jet {
namespace {

namespace format = data_page_format;

unsigned slot_count(const Page& page) {
    return get_u16le(page.data() + format::kRowCountOffset);
}

std::uint16_t slot_entry(const Page& page, unsigned slot) {
    return get_u16le(page.data() + format::row_offset_entry(slot));
}

// Where the lowest row starts: the last slot's row, or the page's end; 0
// (no room) when the slot count puts the offset table past the page.
std::size_t rows_start(const Page& page) {
    const unsigned n = slot_count(page);
    if (n > format::kMaxRowSlots) {
        return 0;
    }
    return n == 0 ? kPageSize : slot_entry(page, n - 1) & format::kRowOffsetMask;
}

void store_free_space(Page& page) {
    const std::size_t table_end = format::row_offset_table_end(slot_count(page));
    const std::size_t start = rows_start(page);
    put_u16le(page.data() + format::kFreeSpaceOffset,
              static_cast<std::uint16_t>(start > table_end ? start - table_end : 0));
}

}  // namespace

void init_data_page(Page& page, std::uint32_t owner) {
    page.fill(0);
    page[0] = static_cast<std::uint8_t>(PageType::Data);
    page[format::kMarkOffset] = format::kMark;
    put_u16le(page.data() + format::kFreeSpaceOffset,
              static_cast<std::uint16_t>(format::kEmptyPageFreeSpace));
    put_u32le(page.data() + format::kOwnerOffset, owner);
}

void check_page_for_rows(const Page& page, PageNumber number, std::uint32_t owner,
                         const std::string& what) {
    check_row_area(page, number, what);
    const std::uint32_t found = get_u32le(page.data() + format::kOwnerOffset);
    if (found != owner) {
        throw FormatError("page " + std::to_string(number) + ": " + what +
                          ": the data page's owner field is " + std::to_string(found) +
                          ", expected " + std::to_string(owner));
    }
}

void check_row_area(const Page& page, PageNumber number, const std::string& what) {
    const std::string where = "page " + std::to_string(number) + ": " + what;
    if (page[0] != static_cast<std::uint8_t>(PageType::Data)) {
        throw FormatError(where + ": expected a data page, found page type " +
                          std::to_string(page[0]));
    }
    const unsigned n = slot_count(page);
    if (n > format::kMaxRowSlots) {
        throw FormatError(where + ": " + std::to_string(n) +
                          " row slots, more than the 256 a page can address");
    }
    const std::size_t table_end = format::row_offset_table_end(n);
    const std::size_t start = rows_start(page);
    if (start < table_end || start > kPageSize) {
        throw FormatError(where + ": the last row starts at byte " + std::to_string(start) +
                          ", outside the row area (bytes " + std::to_string(table_end) + " to " +
                          std::to_string(kPageSize) + ")");
    }
}

std::size_t data_page_free_space(const Page& page) {
    const std::size_t table_end = format::row_offset_table_end(slot_count(page));
    const std::size_t start = rows_start(page);
    return start > table_end && start <= kPageSize ? start - table_end : 0;
}

bool row_fits(const Page& page, std::size_t length) {
    return slot_count(page) < kMaxRowsPerPage &&
           data_page_free_space(page) >= length + format::kRowOffsetEntrySize;
}

unsigned append_row(Page& page, std::span<const std::uint8_t> row) {
    if (!row_fits(page, row.size())) {
        throw std::logic_error("a row of " + std::to_string(row.size()) +
                               " bytes does not fit on the data page");
    }
    const unsigned slot = slot_count(page);
    const std::size_t start = rows_start(page) - row.size();
    std::memcpy(page.data() + start, row.data(), row.size());
    put_u16le(page.data() + format::row_offset_entry(slot), static_cast<std::uint16_t>(start));
    put_u16le(page.data() + format::kRowCountOffset, static_cast<std::uint16_t>(slot + 1));
    store_free_space(page);
    return slot;
}

void replace_row(Page& page, unsigned slot, std::span<const std::uint8_t> row) {
    const unsigned n = slot_count(page);
    if (slot >= n || n > format::kMaxRowSlots) {
        throw std::logic_error("row " + std::to_string(slot) + " is not on the data page");
    }
    const std::size_t old_start = slot_entry(page, slot) & format::kRowOffsetMask;
    const std::size_t end =
        slot == 0 ? kPageSize : slot_entry(page, slot - 1) & format::kRowOffsetMask;
    if (rows_start(page) > old_start || old_start > end || end > kPageSize) {
        throw std::logic_error("row " + std::to_string(slot) +
                               " lies outside the data page's row area");
    }
    const std::size_t old_length = end - old_start;
    if (row.size() > old_length && row.size() - old_length > data_page_free_space(page)) {
        throw std::logic_error("the data page has no room to lengthen row " + std::to_string(slot) +
                               " to " + std::to_string(row.size()) + " bytes");
    }
    const std::size_t lowest = rows_start(page);
    const std::size_t new_start = end - row.size();
    const std::ptrdiff_t shift =
        static_cast<std::ptrdiff_t>(new_start) - static_cast<std::ptrdiff_t>(old_start);
    std::memmove(page.data() + lowest + shift, page.data() + lowest, old_start - lowest);
    std::memcpy(page.data() + new_start, row.data(), row.size());
    for (unsigned i = slot; i < n; ++i) {
        const std::uint16_t entry = slot_entry(page, i);
        const auto moved = static_cast<std::uint16_t>(
            static_cast<std::ptrdiff_t>(entry & format::kRowOffsetMask) + shift);
        put_u16le(page.data() + format::row_offset_entry(i),
                  static_cast<std::uint16_t>((entry & ~format::kRowOffsetMask) | moved));
    }
    store_free_space(page);
}

}  // namespace jet
