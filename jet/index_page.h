// Decoding one page of an index tree (leaf or intermediate) from its bytes.
// The byte layout is described at the top of index_page.cpp.
#pragma once

#include <compare>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

namespace jet {

// Raised when an index page's bytes do not form a valid page; the message
// names the page.
class IndexPageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Where an indexed row lives: data page number and row slot on that page.
struct IndexRowPointer {
    std::uint32_t page = 0;
    std::uint8_t row = 0;
    auto operator<=>(const IndexRowPointer&) const = default;
};

enum class IndexPageKind : std::uint8_t { Intermediate = 0x03, Leaf = 0x04 };

struct IndexEntry {
    std::vector<std::uint8_t> key;  // prefix compression already undone
    IndexRowPointer row;
    std::uint32_t child = 0;  // intermediate pages: the child page this entry covers
};

struct IndexPage {
    std::uint32_t number = 0;
    IndexPageKind kind = IndexPageKind::Leaf;
    std::uint16_t free_space = 0;     // as stored
    std::uint16_t entry_bytes = 0;    // bytes of entry data the bitmap covers
    std::uint32_t table_page = 0;     // table definition page of the owning table
    std::uint32_t previous_page = 0;  // 0 = none
    std::uint32_t next_page = 0;      // 0 = none
    std::uint32_t tail_page = 0;      // intermediate pages: the last child; 0 = none
    std::uint8_t prefix_length = 0;
    std::vector<IndexEntry> entries;  // in stored order
};

inline constexpr std::size_t kIndexPageSize = 2048;

// True when byte 0 says leaf or intermediate index page.
bool is_index_page(std::span<const std::uint8_t> bytes);

// Decodes the page; throws IndexPageError naming `page_number` if any length,
// offset or count is out of range. Reads nothing outside `bytes`.
IndexPage parse_index_page(std::uint32_t page_number, std::span<const std::uint8_t> bytes);

}  // namespace jet
