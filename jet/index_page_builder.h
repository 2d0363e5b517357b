// Encoding index pages from their entries (the inverse of parse_index_page)
// and choosing how an overflowing page's entries are cut in two. The page
// layout is described in index_page_format.h.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "jet/index_page.h"
#include "jet/index_page_format.h"
#include "jet/page.h"

namespace jet {

// The longest entry (key and pointers) the tree accepts: three always fit on
// a page, so an overflowing page can always be cut into two that fit.
inline constexpr std::size_t kMaxIndexEntryLength = index_page_format::kEntryCapacity / 3;

// Bytes the entry takes when stored whole on a page of this kind.
std::size_t index_entry_length(const IndexEntry& entry, IndexPageKind kind);

// Bytes of entry data these entries take on a page of this kind with shared
// prefix `prefix_length`.
std::size_t index_entries_length(std::span<const IndexEntry> entries, IndexPageKind kind,
                                 std::size_t prefix_length = 0);

// Writes `contents` (kind, table page, previous, next and tail pages, prefix
// length, entries) as a whole page: header, entry-end bitmap, free space and
// entry data; the bytes after the entries are zeroed. `number`, `free_space`
// and `entry_bytes` of `contents` are ignored: they follow from the entries.
// Throws IndexPageError when the entries do not fit or do not share the
// prefix.
void build_index_page(Page& page, const IndexPage& contents);

// Inserts the leaf entry (key, row) before entry `at` of the leaf page
// `page`, whose decoded form is `view` (a leaf without a shared prefix), in
// place: the bytes before the entry stay, the later ones move up, and the
// page ends as build_index_page would write it with the new entry among
// `view`'s. Throws IndexPageError when the page is not such a leaf or the
// entry does not fit.
void insert_leaf_entry(Page& page, const IndexPageView& view, std::size_t at,
                       std::span<const std::uint8_t> key, RowPointer row);

// An overflowing page cut in two: the lower entries go to a new page, the
// upper ones stay on the page being split.
struct IndexSplit {
    std::vector<IndexEntry> lower;
    // Intermediate pages: the child that becomes the lower page's tail (the
    // child of the last lower entry, whose copy moves up to the parent).
    PageNumber lower_tail = 0;
    // The parent's copy for the lower page: the last entry of its subtree
    // (key and row; the caller sets the child).
    IndexEntry separator;
    std::vector<IndexEntry> upper;
};

// Cuts `entries` (in key order, too many for one page) so that both halves
// fit. `inserted_at` is the position of the entry whose insertion made the
// page overflow. When that entry is the last one of the last page on its
// level (keys arriving in ascending order), the lower page keeps every other
// entry, so pages stay full; likewise when it is the first one of the first
// page (keys arriving in descending order). Otherwise the bytes are halved.
// Throws IndexPageError when no cut fits (entries longer than
// kMaxIndexEntryLength).
IndexSplit split_index_entries(std::vector<IndexEntry> entries, IndexPageKind kind,
                               std::size_t inserted_at, bool first_on_level, bool last_on_level);

}  // namespace jet
