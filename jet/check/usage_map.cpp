// The layout of a usage map row is described in usage_map_format.h.
#include "jet/check/usage_map.h"

#include <algorithm>

#include "jet/coding.h"
#include "jet/data_page.h"
#include "jet/error.h"
#include "jet/usage_map_format.h"

namespace jet {
namespace {

namespace format = usage_map_format;

void collect_bits(std::span<const std::uint8_t> bitmap, std::uint64_t first_page,
                  PageNumber page_count, UsageMapContents& map) {
    format::visit_set_bits(bitmap, first_page, [&](std::uint64_t page) {
        if (page < page_count) {
            map.pages.push_back(static_cast<PageNumber>(page));
        } else {
            ++map.set_past_end;
        }
        return true;
    });
}

}  // namespace

std::optional<UsageMapContents> read_checked_usage_map(Pager& pager, std::uint32_t map_row,
                                                       const std::string& structure,
                                                       FindingLog& log) {
    const RowPointer at = RowPointer::from_data_pointer(map_row);
    if (at.page == 0 || at.page >= pager.page_count()) {
        log.error(std::nullopt, structure,
                  "the usage map pointer names row " + std::to_string(at.row) + " of page " +
                      std::to_string(at.page) + ", outside the file's " +
                      std::to_string(pager.page_count()) + " pages");
        return std::nullopt;
    }
    UsageMapContents map;
    map.holder = at.page;
    try {
        const DataPage holder(pager.read(at.page), at.page, "usage map of " + structure);
        const RowSlot slot = holder.slot(at.row);
        if (slot.deleted || slot.lookup || slot.lookup_target) {
            log.error(at.page, structure,
                      "the usage map row " + std::to_string(at.row) + " is " +
                          (slot.deleted ? "deleted" : "a moved row, which a map never is"));
            return std::nullopt;
        }
        const auto row = holder.bytes(slot);
        if (row.empty() || (row[format::kTypeOffset] == format::kInlineMap &&
                            row.size() < format::kInlineHeaderSize)) {
            log.error(at.page, structure,
                      "the usage map row " + std::to_string(at.row) + " is only " +
                          std::to_string(row.size()) + " bytes long");
            return std::nullopt;
        }
        if (row[format::kTypeOffset] == format::kInlineMap) {
            map.first_covered = get_u32le(row.data() + format::kStartPageOffset);
            map.end_covered = map.first_covered + format::inline_bit_count(row.size());
            collect_bits(row.subspan(format::kInlineHeaderSize), map.first_covered,
                         pager.page_count(), map);
        } else if (row[format::kTypeOffset] == format::kReferenceMap) {
            const std::size_t bitmaps = format::bitmap_page_pointer_count(row.size());
            map.end_covered = format::first_page_of_bitmap_page(bitmaps);
            for (std::size_t k = 0; k < bitmaps; ++k) {
                const PageNumber bitmap_page =
                    get_u32le(row.data() + format::bitmap_page_pointer_offset(k));
                if (bitmap_page == 0) {
                    continue;
                }
                if (bitmap_page >= pager.page_count()) {
                    log.error(at.page, structure,
                              "bitmap page " + std::to_string(k) + " of the usage map is page " +
                                  std::to_string(bitmap_page) + ", past the end of the file");
                    return std::nullopt;
                }
                const PageRef bitmap = pager.read(bitmap_page);
                if ((*bitmap)[0] != static_cast<std::uint8_t>(PageType::UsageBitmap)) {
                    log.error(bitmap_page, structure,
                              "a bitmap page of the usage map has page type " +
                                  std::to_string((*bitmap)[0]) + ", not 5");
                    return std::nullopt;
                }
                map.bitmap_pages.push_back(bitmap_page);
                collect_bits(
                    std::span<const std::uint8_t>(*bitmap).subspan(format::kBitmapPageHeaderSize),
                    format::first_page_of_bitmap_page(k), pager.page_count(), map);
            }
        } else {
            log.error(at.page, structure,
                      "the usage map row " + std::to_string(at.row) + " has unknown map type " +
                          std::to_string(row[format::kTypeOffset]));
            return std::nullopt;
        }
    } catch (const FormatError& e) {
        log.error(at.page, structure, e.what());
        return std::nullopt;
    }
    std::sort(map.pages.begin(), map.pages.end());
    return map;
}

}  // namespace jet
