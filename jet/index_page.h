// Decoding one page of an index tree (leaf or intermediate) from its bytes.
// The byte layout is described at the top of index_page.cpp.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "jet/error.h"
#include "jet/page.h"

namespace jet {

// Raised when an index page's bytes do not form a valid page; the message
// names the page.
class IndexPageError : public FormatError {
  public:
    using FormatError::FormatError;
};

enum class IndexPageKind : std::uint8_t { Intermediate = 0x03, Leaf = 0x04 };

struct IndexEntry {
    std::vector<std::uint8_t> key;  // prefix compression already undone
    RowPointer row;
    PageNumber child = 0;  // intermediate pages: the child page this entry covers
};

struct IndexPage {
    PageNumber number = 0;
    IndexPageKind kind = IndexPageKind::Leaf;
    std::uint16_t free_space = 0;   // as stored
    std::uint16_t entry_bytes = 0;  // bytes of entry data the bitmap covers
    PageNumber table_page = 0;      // table definition page of the owning table
    PageNumber previous_page = 0;   // 0 = none
    PageNumber next_page = 0;       // 0 = none
    PageNumber tail_page = 0;       // intermediate pages: the last child; 0 = none
    std::uint8_t prefix_length = 0;
    std::vector<IndexEntry> entries;  // in stored order
};

// True when byte 0 says leaf or intermediate index page.
bool is_index_page(std::span<const std::uint8_t> bytes);

// Decodes the page; throws IndexPageError naming `page_number` if any length,
// offset or count is out of range. Reads nothing outside `bytes`.
IndexPage parse_index_page(PageNumber page_number, std::span<const std::uint8_t> bytes);

}  // namespace jet
