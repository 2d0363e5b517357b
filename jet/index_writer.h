// Adding entries to a real index's B-tree: each entry goes to its place in
// key order, pages that overflow are split, and the tree's root stays on the
// page the table definition names.
#pragma once

#include <cstdint>
#include <span>

#include "jet/page.h"
#include "jet/page_allocator.h"
#include "jet/pager.h"
#include "jet/table_definition.h"

namespace jet {

struct IndexInsertResult {
    // True when no entry with the same key bytes was in the index before:
    // the index's unique-entry count goes up by one.
    bool new_key = false;
};

// Inserts the entry (key bytes, row pointer) into the index. The pager must
// be in a change; every page the insert touches is modified through it, and
// pages it needs are taken from `allocator` and added to the index's own
// usage map. Uniqueness is not checked here (see index_has_key). Throws
// FormatError naming the index when its tree is damaged, and Error when the
// key is longer than an index page can hold (kMaxIndexEntryLength).
IndexInsertResult insert_index_entry(Pager& pager, PageAllocator& allocator,
                                     const TableDefinition& table, const RealIndex& index,
                                     std::span<const std::uint8_t> key, RowPointer row);

// True when an entry with exactly these key bytes is in the index.
bool index_has_key(Pager& pager, const TableDefinition& table, const RealIndex& index,
                   std::span<const std::uint8_t> key);

// True when an entry with this key fits the tree (see kMaxIndexEntryLength),
// so that the insert cannot fail for its length.
bool index_key_fits(std::span<const std::uint8_t> key);

}  // namespace jet
