#include "jet/page_allocator.h"

#include <optional>
#include <stdexcept>
#include <string>

#include "jet/coding.h"
#include "jet/data_page.h"
#include "jet/data_page_writer.h"
#include "jet/error.h"
#include "jet/index_page_format.h"
#include "jet/usage_map_format.h"
#include "jet/usage_map_writer.h"

namespace jet {
namespace {

namespace format = usage_map_format;

// Pages 0 and 1 (header, global map) are never handed out.
constexpr PageNumber kFirstAllocatable = 2;

// The lowest set bit of `bitmap` (bit 0 standing for `first`) that stands
// for a page in [from, end).
std::optional<PageNumber> first_set(std::span<const std::uint8_t> bitmap, std::uint64_t first,
                                    PageNumber from, PageNumber end) {
    std::optional<PageNumber> found;
    format::visit_set_bits(bitmap, first, [&](std::uint64_t page) {
        if (page >= end) {
            return false;
        }
        if (page < from) {
            return true;
        }
        found = static_cast<PageNumber>(page);
        return false;
    });
    return found;
}

// The lowest page inside the file that the global map marks free.
std::optional<PageNumber> find_free_page(Pager& pager) {
    const RowPointer at = RowPointer::from_data_pointer(kGlobalUsageMap);
    const DataPage holder(pager.read(at.page), at.page, "the global usage map");
    const auto row = holder.bytes(holder.slot(at.row));
    const PageNumber end = pager.page_count();
    if (row.size() >= format::kInlineHeaderSize && row[format::kTypeOffset] == format::kInlineMap) {
        return first_set(row.subspan(format::kInlineHeaderSize),
                         get_u32le(row.data() + format::kStartPageOffset), kFirstAllocatable, end);
    }
    if (row.size() >= 1 && row[format::kTypeOffset] == format::kReferenceMap) {
        for (std::size_t k = 0; k < format::bitmap_page_pointer_count(row.size()); ++k) {
            const PageNumber bitmap_page =
                get_u32le(row.data() + format::bitmap_page_pointer_offset(k));
            if (bitmap_page == 0 || bitmap_page >= end) {
                continue;
            }
            const PageRef bitmap = pager.read(bitmap_page);
            const auto found = first_set(
                std::span<const std::uint8_t>(*bitmap).subspan(format::kBitmapPageHeaderSize),
                format::first_page_of_bitmap_page(k), kFirstAllocatable, end);
            if (found) {
                return found;
            }
        }
        return std::nullopt;
    }
    throw FormatError("page 1: the global usage map is damaged (map type " +
                      std::to_string(row.empty() ? -1 : row[format::kTypeOffset]) + ")");
}

void init_page(Page& page, PageType type, PageNumber owner) {
    switch (type) {
        case PageType::Data:
            init_data_page(page, owner);
            return;
        case PageType::IndexLeaf:
        case PageType::IndexNode: {
            namespace format = index_page_format;
            page.fill(0);
            page[format::kTypeOffset] = static_cast<std::uint8_t>(type);
            page[format::kFixedByteOffset] = format::kFixedByte;
            // An empty page: all of its entry data is free.
            put_u16le(page.data() + format::kFreeSpaceOffset,
                      static_cast<std::uint16_t>(format::kEntryCapacity));
            put_u32le(page.data() + format::kTablePageOffset, owner);
            page[format::kIntermediateMarkOffset] =
                type == PageType::IndexNode ? format::kIntermediateMark : format::kLeafMark;
            return;
        }
        case PageType::UsageBitmap:
            page.fill(0);
            page[0] = static_cast<std::uint8_t>(type);
            page[format::kBitmapPageMarkOffset] = format::kBitmapPageMark;
            return;
        case PageType::DatabaseHeader:
        case PageType::TableDefinition:
            break;
    }
    throw std::logic_error("pages of type " + std::to_string(static_cast<int>(type)) +
                           " are not allocated by the writer");
}

}  // namespace

PageNumber PageAllocator::allocate(PageType type, PageNumber owner_tdef) {
    const std::optional<PageNumber> free = find_free_page(pager_);
    const PageNumber page = free ? *free : pager_.grow();
    mark_page_used(pager_, *this, page);
    init_page(pager_.modify(page), type, owner_tdef);
    return page;
}

void PageAllocator::release(PageNumber page) {
    mark_page_free(pager_, *this, page);
}

}  // namespace jet
