// Data page (page type 0x01):
//
//   0   u8    0x01
//   1   u8    0x01
//   2   u16   free space
//   4   u32   owner: the table's definition page; "LVAL" on long-value pages;
//             0 on usage-map pages
//   8   u16   number of row slots n (deleted ones included)
//   10  u16×n row offset table, slot 0 first:
//             bits 0x1FFF  offset of the row's first byte
//             0x4000 alone the row is a 4-byte data pointer to the row's real place
//             0x8000 alone the row is such a pointer's target
//             0xC000       the row is deleted
//
// Rows are packed downward from the end of the page in slot order: slot 0 ends
// at 2048, slot i ends where slot i-1 starts.
#include "jet/data_page.h"

#include "jet/coding.h"
#include "jet/error.h"

namespace jet {
namespace {

constexpr unsigned kHeaderSize = 10;
// Row numbers are one byte in every data pointer.
constexpr unsigned kMaxSlots = 256;

}  // namespace

DataPage::DataPage(PageRef page, PageNumber number, const std::string& what)
    : page_(std::move(page)), number_(number), what_(what) {
    const Page& p = *page_;
    if (p[0] != static_cast<std::uint8_t>(PageType::Data)) {
        throw FormatError("page " + std::to_string(number) + ": " + what +
                          ": expected a data page, found page type " + std::to_string(p[0]));
    }
    row_count_ = get_u16le(p.data() + 8);
    if (row_count_ > kMaxSlots) {
        throw FormatError("page " + std::to_string(number) + ": " + what + ": " +
                          std::to_string(row_count_) +
                          " row slots, more than the 256 a page can address");
    }
}

std::uint32_t DataPage::owner() const {
    return get_u32le(page_->data() + 4);
}

RowSlot DataPage::slot(unsigned row) const {
    if (row >= row_count_) {
        throw FormatError("page " + std::to_string(number_) + ": " + what_ + ": row " +
                          std::to_string(row) + " does not exist (the page has " +
                          std::to_string(row_count_) + " rows)");
    }
    const std::uint8_t* table = page_->data() + kHeaderSize;
    const std::uint16_t entry = get_u16le(table + 2 * row);
    RowSlot slot;
    slot.start = entry & 0x1FFF;
    slot.end = row == 0 ? kPageSize : get_u16le(table + 2 * (row - 1)) & 0x1FFF;
    slot.deleted = (entry & 0xC000) == 0xC000;
    slot.lookup = (entry & 0xC000) == 0x4000;
    slot.lookup_target = (entry & 0xC000) == 0x8000;
    if (!slot.deleted && (slot.start < kHeaderSize + 2 * row_count_ || slot.end > kPageSize ||
                          slot.start > slot.end)) {
        throw FormatError("page " + std::to_string(number_) + ": " + what_ + ": row " +
                          std::to_string(row) + " spans bytes " + std::to_string(slot.start) +
                          " to " + std::to_string(slot.end) + ", outside the page's row area");
    }
    return slot;
}

std::span<const std::uint8_t> DataPage::bytes(const RowSlot& slot) const {
    if (slot.deleted || slot.start > slot.end || slot.end > kPageSize) {
        throw FormatError("page " + std::to_string(number_) + ": " + what_ +
                          ": a deleted row is read as a live one");
    }
    return {page_->data() + slot.start, page_->data() + slot.end};
}

}  // namespace jet
