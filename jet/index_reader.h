// Reading a real index: its entries in key order, and the rows that have a
// given key.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <unordered_set>
#include <vector>

#include "jet/index_key.h"
#include "jet/index_page.h"
#include "jet/page.h"
#include "jet/pager.h"
#include "jet/table_definition.h"
#include "jet/value.h"

namespace jet {

// An index page read from the pager and decoded. Loading the same page again
// decodes it again only when the pager hands out other bytes or the page's
// modification stamp has changed (Pager::modification_stamp).
struct LoadedIndexPage {
    PageRef bytes;
    std::uint64_t stamp = 0;
    IndexPageView page;
};

// Reads page `number` into `loaded`; throws FormatError naming the index
// when it lies outside the file, is not a sound index page or belongs to
// another table.
void load_index_page(Pager& pager, const TableDefinition& table, const RealIndex& index,
                     PageNumber number, LoadedIndexPage& loaded);

// A position in an index tree. Moving forward visits the entries of the
// leaves in tree order, which is key order in a sound index. Every page is
// entered at most once between two seeks, so a damaged tree (cycles, shared
// pages, links out of the file) ends in a FormatError naming the index and
// the page, never in an endless walk.
class IndexCursor {
  public:
    // Error messages name the index as describe_index does. The cursor keeps
    // references to `table` and `index`, which must outlive it.
    IndexCursor(Pager& pager, const TableDefinition& table, const RealIndex& index);

    // Moves to the first entry of the index.
    void seek_first();
    // Moves to the first entry whose key is not less than `key` (memcmp order).
    void seek(std::span<const std::uint8_t> key);

    bool at_end() const { return depth_ == 0; }
    // The current entry; only when !at_end().
    const IndexEntry& entry() const;
    // The current entry read in place, valid until the cursor moves; only
    // when !at_end().
    IndexEntryRef entry_ref() const;
    void next();

  private:
    struct Level : LoadedIndexPage {
        std::size_t position = 0;  // leaf: entry; intermediate: child (entries.size() = tail)
    };

    void reset();
    Level& top() { return levels_[depth_ - 1]; }
    void enter(PageNumber number, bool from_parent);
    PageNumber child_at(const Level& level) const;
    void settle();
    [[noreturn]] void fail(PageNumber page, const std::string& what) const;

    Pager& pager_;
    const TableDefinition& table_;
    const RealIndex& index_;
    // levels_[0, depth_) is the path, root first; the levels beyond keep
    // their buffers for the next descent.
    std::vector<Level> levels_;
    std::size_t depth_ = 0;
    std::unordered_set<PageNumber> visited_;
    mutable IndexEntry current_;  // entry() copies the current entry here
};

// Calls `visit` for every entry of the index in tree order.
void walk_index(Pager& pager, const TableDefinition& table, const RealIndex& index,
                const std::function<void(const IndexEntry&)>& visit);

// The rows whose key equals `key`, in index order.
std::vector<RowPointer> find_rows(Pager& pager, const TableDefinition& table,
                                  const RealIndex& index, std::span<const std::uint8_t> key);

// "index 'Name' of table 'T'" (all logical names sharing it, joined by "/"),
// or "real index N of table 'T'" when no logical index names it.
std::string describe_index(const TableDefinition& table, const RealIndex& index);

// What the key encoding needs of each column of the index, in index order.
// Throws FormatError when the index names a column the table does not have.
std::vector<IndexKeyColumn> index_key_columns(const TableDefinition& table, const RealIndex& index);

// The key of a row (values in the order of table.columns) in this index.
std::vector<std::uint8_t> row_index_key(const TableDefinition& table, const RealIndex& index,
                                        const std::vector<Value>& row);

// True when the index keeps no entry for this row: "ignore nulls" and every
// indexed value null.
bool index_skips_row(const TableDefinition& table, const RealIndex& index,
                     const std::vector<Value>& row);

}  // namespace jet
