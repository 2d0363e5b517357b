// Usage map: a row on a data page, reached through a data pointer.
//
// Inline map (type 0):
//   0   u8    0x00
//   1   u32   start page: the page that bit 0 stands for
//   5   ...   bitmap to the end of the row; bit i (byte i/8, least significant
//             bit first) stands for page start + i
//
// Reference map (type 1):
//   0   u8    0x01
//   1+4k u32  page number of bitmap page k, 0 when absent
// Bitmap page (page type 0x05): bytes 0-3 "05 01 00 00", bitmap from byte 4;
// bitmap page k covers pages k × 16352 to (k+1) × 16352 - 1.
//
// The global map on page 1, row 0 has the same layout with the opposite
// meaning (a set bit marks a free page).
#include "jet/usage_map.h"

#include "jet/coding.h"
#include "jet/data_page.h"
#include "jet/error.h"

namespace jet {
namespace {

constexpr std::uint32_t kBitmapPageBits = (kPageSize - 4) * 8;

void collect_bits(const std::uint8_t* bitmap, std::size_t length, std::uint64_t first_page,
                  PageNumber page_count, const std::string& where, std::vector<PageNumber>& pages) {
    for (std::size_t byte = 0; byte < length; ++byte) {
        if (bitmap[byte] == 0) {
            continue;
        }
        for (unsigned bit = 0; bit < 8; ++bit) {
            if ((bitmap[byte] >> bit) & 1) {
                const std::uint64_t page = first_page + byte * 8 + bit;
                if (page >= page_count) {
                    throw FormatError(where + " marks page " + std::to_string(page) +
                                      ", past the end of the file (" + std::to_string(page_count) +
                                      " pages)");
                }
                pages.push_back(static_cast<PageNumber>(page));
            }
        }
    }
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
    if (row[0] == 0x00) {
        if (row.size() < 5) {
            throw FormatError(where + " is " + std::to_string(row.size()) +
                              " bytes long, too short for an inline map");
        }
        collect_bits(row.data() + 5, row.size() - 5, get_u32le(row.data() + 1), pager.page_count(),
                     where, pages);
    } else if (row[0] == 0x01) {
        for (std::size_t k = 0; 1 + 4 * k + 4 <= row.size(); ++k) {
            const PageNumber bitmap_page = get_u32le(row.data() + 1 + 4 * k);
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
                bitmap->data() + 4, kPageSize - 4, static_cast<std::uint64_t>(k) * kBitmapPageBits,
                pager.page_count(),
                "page " + std::to_string(bitmap_page) + ": bitmap page of the usage map of " + what,
                pages);
        }
    } else {
        throw FormatError(where + " has unknown map type " + std::to_string(row[0]));
    }
    return pages;
}

}  // namespace jet
