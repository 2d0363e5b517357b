// Decoding one page of an index tree (leaf or intermediate) from its bytes.
// The byte layout is described in index_page_format.h.
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

// An entry read in place, without copying it: the key's bytes lie on the
// page, or, for a later entry of a page with a shared prefix, in the view's
// own buffer where the prefix has been put back.
struct IndexEntryRef {
    std::span<const std::uint8_t> key;
    RowPointer row;
    PageNumber child = 0;  // intermediate pages: the child page this entry covers
};

// A page decoded as IndexPage is, but with its entries left in place:
// decoding reads the header and the entry ends, and entry(i) reads an entry
// when it is wanted. The view refers to the page's bytes, which must outlive
// it; its buffers are reused by the next decode into it, which ends the
// validity of the keys it handed out.
struct IndexPageView {
    PageNumber number = 0;
    IndexPageKind kind = IndexPageKind::Leaf;
    std::uint16_t free_space = 0;   // as stored
    std::uint16_t entry_bytes = 0;  // bytes of entry data the bitmap covers
    PageNumber table_page = 0;
    PageNumber previous_page = 0;
    PageNumber next_page = 0;
    PageNumber tail_page = 0;
    std::uint8_t prefix_length = 0;
    std::vector<std::uint16_t> ends;  // end of each entry as stored, from the entry data's start

    std::size_t size() const { return ends.size(); }
    // Entry i, 0 <= i < size().
    IndexEntryRef entry(std::size_t i) const;

    const std::uint8_t* data = nullptr;  // the page's entry data
    // Entries 1, 2, ... whole, one after the other, when the page has a
    // shared prefix.
    std::vector<std::uint8_t> restored;
};

// True when byte 0 says leaf or intermediate index page.
bool is_index_page(std::span<const std::uint8_t> bytes);

// Decodes the page; throws IndexPageError naming `page_number` if any length,
// offset or count is out of range. Reads nothing outside `bytes`.
IndexPage parse_index_page(PageNumber page_number, std::span<const std::uint8_t> bytes);

// Decodes the page into `view` with the checks of parse_index_page. The view
// refers to `bytes`, which must outlive its use.
void decode_index_page(PageNumber page_number, std::span<const std::uint8_t> bytes,
                       IndexPageView& view);

// Brings the view of a leaf page without a shared prefix in line with the
// page after insert_leaf_entry put an entry of `length` bytes at position
// `at` in place: the view then says what decode_index_page would say of
// `page`, the page's bytes now, without decoding it again.
void view_after_leaf_insert(IndexPageView& view, const Page& page, std::size_t at,
                            std::size_t length);

// The entry copied out of the page.
IndexEntry to_index_entry(const IndexEntryRef& entry);
// The whole page copied out of its view.
IndexPage to_index_page(const IndexPageView& view);

}  // namespace jet
