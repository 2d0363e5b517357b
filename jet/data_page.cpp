// The layout of a data page is described in data_page_format.h.
#include "jet/data_page.h"

#include "jet/coding.h"
#include "jet/data_page_format.h"
#include "jet/error.h"

namespace jet {

namespace format = data_page_format;

DataPage::DataPage(PageRef page, PageNumber number, const std::string& what)
    : page_(std::move(page)), number_(number), what_(what) {
    const Page& p = *page_;
    if (p[0] != static_cast<std::uint8_t>(PageType::Data)) {
        throw FormatError("page " + std::to_string(number) + ": " + what +
                          ": expected a data page, found page type " + std::to_string(p[0]));
    }
    row_count_ = get_u16le(p.data() + format::kRowCountOffset);
    if (row_count_ > format::kMaxRowSlots) {
        throw FormatError("page " + std::to_string(number) + ": " + what + ": " +
                          std::to_string(row_count_) +
                          " row slots, more than the 256 a page can address");
    }
}

std::uint32_t DataPage::owner() const {
    return get_u32le(page_->data() + format::kOwnerOffset);
}

RowSlot DataPage::slot(unsigned row) const {
    if (row >= row_count_) {
        throw FormatError("page " + std::to_string(number_) + ": " + what_ + ": row " +
                          std::to_string(row) + " does not exist (the page has " +
                          std::to_string(row_count_) + " rows)");
    }
    const std::uint8_t* p = page_->data();
    const std::uint16_t entry = get_u16le(p + format::row_offset_entry(row));
    RowSlot slot;
    slot.start = entry & format::kRowOffsetMask;
    slot.end = row == 0 ? kPageSize
                        : get_u16le(p + format::row_offset_entry(row - 1)) & format::kRowOffsetMask;
    const std::uint16_t flags = entry & format::kRowFlagsMask;
    slot.deleted = flags == format::kDeletedFlags;
    slot.lookup = flags == format::kLookupFlag;
    slot.lookup_target = flags == format::kLookupTargetFlag;
    if (!slot.deleted && (slot.start < format::row_offset_table_end(row_count_) ||
                          slot.end > kPageSize || slot.start > slot.end)) {
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
