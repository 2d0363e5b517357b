// Adding entries to a real index's B-tree: each entry goes to its place in
// key order, pages that overflow are split, and the tree's root stays on the
// page the table definition names.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "jet/index_page.h"
#include "jet/index_reader.h"
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

// Inserts entries into one index, keeping what it reads the pages into from
// one insert to the next. It refers to everything it is given, which must
// outlive it.
class IndexWriter {
  public:
    IndexWriter(Pager& pager, PageAllocator& allocator, const TableDefinition& table,
                const RealIndex& index);
    ~IndexWriter();
    IndexWriter(const IndexWriter&) = delete;
    IndexWriter& operator=(const IndexWriter&) = delete;

    // As insert_index_entry.
    IndexInsertResult insert(std::span<const std::uint8_t> key, RowPointer row);

    // True when an entry with exactly these key bytes is in the index. It
    // walks the path an insert of the key takes, so that the insert after it
    // finds those pages decoded.
    bool holds_key(std::span<const std::uint8_t> key);

  private:
    // A page on the way from the root to the leaf, read in place, and which
    // of its entries (or, at size(), its tail) leads down.
    struct Step : LoadedIndexPage {
        std::size_t position = 0;
    };
    // The same page copied out, for inserts that change more than the leaf.
    struct CopiedStep {
        IndexPage page;
        std::size_t position = 0;
    };

    // What the insert did to one page of its path, as the climb from the
    // leaf carries it up.
    struct PageChange {
        bool entries_changed = false;      // the page's entries differ: it is written
        std::size_t inserted_at = 0;       // where the change is, for choosing a cut
        bool subtree_end_changed = false;  // the new entry is now its subtree's last
    };

    void descend(std::span<const std::uint8_t> key, RowPointer row);
    void read_page(PageNumber number, LoadedIndexPage& loaded);
    bool neighbour_has_key(PageNumber number, bool last, std::span<const std::uint8_t> key);
    bool changes_only_the_leaf() const;
    bool fits_in_place(std::span<const std::uint8_t> key) const;
    void insert_and_climb(std::span<const std::uint8_t> key, RowPointer row);
    std::optional<IndexEntry> store(IndexPage& page, const PageChange& change);
    void store_root(IndexPage& root, const PageChange& change);
    PageChange carry_to_parent(CopiedStep& parent, const PageChange& change,
                               std::optional<IndexEntry> lower_entry, const IndexEntry& new_entry);
    PageNumber allocate(IndexPageKind kind);
    void write(const IndexPage& page);
    void link_previous(PageNumber previous, PageNumber old_next, PageNumber new_next);
    IndexEntry split(IndexPage& page, std::size_t inserted_at);
    void split_root(IndexPage& root, std::size_t inserted_at);
    [[noreturn]] void fail(PageNumber page, const std::string& what) const;

    Pager& pager_;
    PageAllocator& allocator_;
    const TableDefinition& table_;
    const RealIndex& index_;
    std::vector<Step> path_;  // path_[0, depth_) from the root down; the rest kept for reuse
    std::size_t depth_ = 0;
    Step neighbour_;  // a leaf beside the path's leaf
    std::vector<CopiedStep> copied_;
};

// Inserts the entry (key bytes, row pointer) into the index. The pager must
// be in a change; every page the insert touches is modified through it, and
// pages it needs are taken from `allocator` and added to the index's own
// usage map. Uniqueness is not checked here (see IndexWriter::holds_key). Throws
// FormatError naming the index when its tree is damaged, and Error when the
// key is longer than an index page can hold (kMaxIndexEntryLength).
IndexInsertResult insert_index_entry(Pager& pager, PageAllocator& allocator,
                                     const TableDefinition& table, const RealIndex& index,
                                     std::span<const std::uint8_t> key, RowPointer row);

// True when an entry with exactly these key bytes is in the index, read
// through a cursor.
bool index_has_key(Pager& pager, const TableDefinition& table, const RealIndex& index,
                   std::span<const std::uint8_t> key);
// True when an entry with this key fits the tree (see kMaxIndexEntryLength),
// so that the insert cannot fail for its length.
bool index_key_fits(std::span<const std::uint8_t> key);

}  // namespace jet
