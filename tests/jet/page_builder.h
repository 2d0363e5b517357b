// Hand-made pages and rows for tests of the structures no real file covers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/coding.h"
#include "jet/data_page_format.h"
#include "jet/page.h"
#include "jet/usage_map_format.h"

namespace jet_test {

struct PageRow {
    std::vector<std::uint8_t> bytes;
    std::uint16_t flags = 0;  // row offset flags of data_page_format.h
};

// A data page with these rows packed down from the end of the page.
inline std::vector<std::uint8_t> data_page(std::uint32_t owner, const std::vector<PageRow>& rows) {
    namespace format = jet::data_page_format;
    std::vector<std::uint8_t> page(jet::kPageSize, 0);
    page[0] = static_cast<std::uint8_t>(jet::PageType::Data);
    page[format::kMarkOffset] = format::kMark;
    jet::put_u32le(page.data() + format::kOwnerOffset, owner);
    jet::put_u16le(page.data() + format::kRowCountOffset, static_cast<std::uint16_t>(rows.size()));
    std::size_t end = jet::kPageSize;
    for (unsigned i = 0; i < rows.size(); ++i) {
        const std::size_t start = end - rows[i].bytes.size();
        std::copy(rows[i].bytes.begin(), rows[i].bytes.end(), page.begin() + start);
        jet::put_u16le(page.data() + format::row_offset_entry(i),
                       static_cast<std::uint16_t>(start | rows[i].flags));
        end = start;
    }
    const auto slots = static_cast<unsigned>(rows.size());
    jet::put_u16le(page.data() + format::kFreeSpaceOffset,
                   static_cast<std::uint16_t>(end - format::row_offset_table_end(slots)));
    return page;
}

inline std::vector<std::uint8_t> data_pointer(std::uint32_t page, std::uint8_t row) {
    std::vector<std::uint8_t> b(4);
    jet::put_u32le(b.data(), page << 8 | row);
    return b;
}

// An inline usage map row marking these pages.
inline std::vector<std::uint8_t> inline_map(const std::vector<std::uint32_t>& pages) {
    namespace format = jet::usage_map_format;
    std::vector<std::uint8_t> row(format::kInlineHeaderSize + 16, 0);
    for (std::uint32_t p : pages) {
        row[format::kInlineHeaderSize + p / 8] |= static_cast<std::uint8_t>(1 << (p % 8));
    }
    return row;
}

// A file made of these pages, page 0 left empty.
inline std::vector<std::uint8_t> file_of(const std::vector<std::vector<std::uint8_t>>& pages) {
    std::vector<std::uint8_t> file(jet::kPageSize, 0);
    for (const auto& p : pages) {
        file.insert(file.end(), p.begin(), p.end());
    }
    return file;
}

// A row laid out by the rules a writer follows: column count, fixed area,
// variable data, eod, offsets in reverse, jump table, slot count, null mask.
inline std::vector<std::uint8_t> encode_row(std::uint8_t column_count,
                                            const std::vector<std::uint8_t>& fixed,
                                            const std::vector<std::string>& variable,
                                            const std::vector<std::uint8_t>& null_mask) {
    std::vector<std::uint8_t> row{column_count};
    row.insert(row.end(), fixed.begin(), fixed.end());
    std::vector<std::size_t> offsets;
    for (const std::string& v : variable) {
        offsets.push_back(row.size());
        row.insert(row.end(), v.begin(), v.end());
    }
    const std::size_t eod = row.size();
    offsets.push_back(eod);
    row.push_back(eod & 0xFF);
    for (std::size_t i = variable.size(); i-- > 0;) {
        row.push_back(offsets[i] & 0xFF);
    }
    const std::size_t without_jumps = row.size() + 1 + null_mask.size();
    std::size_t slots = 0;
    while (slots != (without_jumps + slots - 1) / 256) {
        ++slots;
    }
    const std::size_t real = eod / 256;
    std::vector<std::uint8_t> jumps;  // boundary 1 first
    for (std::size_t k = 1; k <= real; ++k) {
        std::size_t i = 0;
        while (offsets[i] < 256 * k) {
            ++i;
        }
        jumps.push_back(static_cast<std::uint8_t>(i));
    }
    if (slots > real) {
        jumps.push_back(0xFF);
    }
    row.insert(row.end(), jumps.rbegin(), jumps.rend());
    row.push_back(static_cast<std::uint8_t>(variable.size()));
    row.insert(row.end(), null_mask.begin(), null_mask.end());
    return row;
}

}  // namespace jet_test
