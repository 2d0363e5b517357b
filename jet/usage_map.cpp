// The layout of a usage map is described in usage_map_format.h.
#include "jet/usage_map.h"

#include "jet/coding.h"
#include "jet/data_page.h"
#include "jet/error.h"
#include "jet/usage_map_format.h"

namespace jet {
namespace {

namespace format = usage_map_format;

void collect_bits(std::span<const std::uint8_t> bitmap, std::uint64_t first_page,
                  PageNumber page_count, const std::string& where, std::vector<PageNumber>& pages) {
    format::visit_set_bits(bitmap, first_page, [&](std::uint64_t page) {
        if (page >= page_count) {
            throw FormatError(where + " marks page " + std::to_string(page) +
                              ", past the end of the file (" + std::to_string(page_count) +
                              " pages)");
        }
        pages.push_back(static_cast<PageNumber>(page));
        return true;
    });
}

}  // namespace

std::vector<PageNumber> read_usage_map(Pager& pager, std::uint32_t map_row,
                                       const std::string& what) {
    const RowPointer at = RowPointer::from_data_pointer(map_row);
    const std::string where = "page " + std::to_string(at.page) + ": usage map of " + what;
    DataPage page(pager.read(at.page), at.page, "usage map of " + what);
    const RowSlot slot = page.slot(at.row);
    if (slot.deleted) {
        throw FormatError(where + " is in deleted row " + std::to_string(at.row));
    }
    const auto row = page.bytes(slot);
    if (row.empty()) {
        throw FormatError(where + " is empty");
    }
    std::vector<PageNumber> pages;
    if (row[format::kTypeOffset] == format::kInlineMap) {
        if (row.size() < format::kInlineHeaderSize) {
            throw FormatError(where + " is " + std::to_string(row.size()) +
                              " bytes long, too short for an inline map");
        }
        collect_bits(row.subspan(format::kInlineHeaderSize),
                     get_u32le(row.data() + format::kStartPageOffset), pager.page_count(), where,
                     pages);
    } else if (row[format::kTypeOffset] == format::kReferenceMap) {
        for (std::size_t k = 0; k < format::bitmap_page_pointer_count(row.size()); ++k) {
            const PageNumber bitmap_page =
                get_u32le(row.data() + format::bitmap_page_pointer_offset(k));
            if (bitmap_page == 0) {
                continue;
            }
            const PageRef bitmap = pager.read(bitmap_page);
            if ((*bitmap)[0] != static_cast<std::uint8_t>(PageType::UsageBitmap)) {
                throw FormatError("page " + std::to_string(bitmap_page) + ": bitmap page of " +
                                  "the usage map of " + what + " has page type " +
                                  std::to_string((*bitmap)[0]));
            }
            collect_bits(
                std::span<const std::uint8_t>(*bitmap).subspan(format::kBitmapPageHeaderSize),
                format::first_page_of_bitmap_page(k), pager.page_count(),
                "page " + std::to_string(bitmap_page) + ": bitmap page of the usage map of " + what,
                pages);
        }
    } else {
        throw FormatError(where + " has unknown map type " +
                          std::to_string(row[format::kTypeOffset]));
    }
    return pages;
}

}  // namespace jet
