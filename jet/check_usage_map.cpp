// The layout of a usage map row is described in usage_map.cpp.
#include "jet/check_usage_map.h"

#include <algorithm>

#include "jet/coding.h"
#include "jet/data_page.h"
#include "jet/error.h"

namespace jet {
namespace {

constexpr std::uint8_t kInlineMap = 0x00;
constexpr std::uint8_t kReferenceMap = 0x01;
constexpr std::size_t kInlineHeader = 5;
constexpr std::size_t kBitmapPageHeader = 4;
constexpr std::uint64_t kBitmapPageBits = (kPageSize - kBitmapPageHeader) * 8;

void collect_bits(std::span<const std::uint8_t> bitmap, std::uint64_t first_page,
                  PageNumber page_count, UsageMapContents& map) {
    for (std::size_t byte = 0; byte < bitmap.size(); ++byte) {
        for (unsigned bit = 0; bitmap[byte] != 0 && bit < 8; ++bit) {
            if ((bitmap[byte] >> bit) & 1) {
                const std::uint64_t page = first_page + byte * 8 + bit;
                if (page < page_count) {
                    map.pages.push_back(static_cast<PageNumber>(page));
                } else {
                    ++map.set_past_end;
                }
            }
        }
    }
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
        if (row.empty() || (row[0] == kInlineMap && row.size() < kInlineHeader)) {
            log.error(at.page, structure,
                      "the usage map row " + std::to_string(at.row) + " is only " +
                          std::to_string(row.size()) + " bytes long");
            return std::nullopt;
        }
        if (row[0] == kInlineMap) {
            map.first_covered = get_u32le(row.data() + 1);
            map.end_covered = map.first_covered + (row.size() - kInlineHeader) * 8;
            collect_bits(row.subspan(kInlineHeader), map.first_covered, pager.page_count(), map);
        } else if (row[0] == kReferenceMap) {
            const std::size_t bitmaps = (row.size() - 1) / 4;
            map.end_covered = bitmaps * kBitmapPageBits;
            for (std::size_t k = 0; k < bitmaps; ++k) {
                const PageNumber bitmap_page = get_u32le(row.data() + 1 + 4 * k);
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
                collect_bits(std::span<const std::uint8_t>(*bitmap).subspan(kBitmapPageHeader),
                             k * kBitmapPageBits, pager.page_count(), map);
            }
        } else {
            log.error(at.page, structure,
                      "the usage map row " + std::to_string(at.row) + " has unknown map type " +
                          std::to_string(row[0]));
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
