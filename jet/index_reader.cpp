// Walking an index tree.
//
// The tree's pages are described in index_page_format.h. A walk descends from the
// root page (which may itself be a leaf) through the first child of every
// intermediate page to the leftmost leaf, reads its entries, then climbs back
// to the nearest intermediate page with a further child (its next entry's
// child, then its tail page) and descends again. The walk follows the tree
// itself, not the leaves' next-page links, so it sees exactly what a lookup
// by key sees.
//
// A lookup descends the same way but picks, on every intermediate page, the
// first entry whose key is not less than the wanted key (an entry's key is
// the last key in its child's subtree), or the tail page when there is none.
#include "jet/index_reader.h"

#include <algorithm>

namespace jet {

IndexCursor::IndexCursor(Pager& pager, const TableDefinition& table, const RealIndex& index)
    : pager_(pager), table_(table), index_(index) {}

void load_index_page(Pager& pager, const TableDefinition& table, const RealIndex& index,
                     PageNumber number, LoadedIndexPage& loaded) {
    PageRef bytes = pager.read(number);
    const std::uint64_t stamp = pager.modification_stamp(number);
    if (bytes == loaded.bytes && stamp == loaded.stamp) {
        return;
    }
    loaded.bytes = nullptr;
    try {
        decode_index_page(number, *bytes, loaded.page);
    } catch (const IndexPageError& e) {
        throw FormatError(describe_index(table, index) + ": " + e.what());
    }
    if (loaded.page.table_page != table.page) {
        throw FormatError(describe_index(table, index) + ", page " + std::to_string(number) +
                          ": belongs to the table defined on page " +
                          std::to_string(loaded.page.table_page) + ", not " +
                          std::to_string(table.page));
    }
    loaded.bytes = std::move(bytes);
    loaded.stamp = stamp;
}

void IndexCursor::fail(PageNumber page, const std::string& what) const {
    throw FormatError(describe_index(table_, index_) + ", page " + std::to_string(page) + ": " +
                      what);
}

void IndexCursor::reset() {
    depth_ = 0;
    visited_.clear();
}

void IndexCursor::enter(PageNumber number, bool from_parent) {
    if (number == 0 || number >= pager_.page_count()) {
        const std::string outside = std::to_string(number) + ", outside the file's " +
                                    std::to_string(pager_.page_count()) + " pages";
        if (!from_parent) {
            throw FormatError(describe_index(table_, index_) + ": the root page is " + outside);
        }
        fail(top().page.number, "refers to child page " + outside);
    }
    if (!visited_.insert(number).second) {
        fail(number, "is reached twice in the index tree (a cycle or a shared page)");
    }
    if (depth_ == levels_.size()) {
        levels_.emplace_back();
    }
    Level& level = levels_[depth_];
    load_index_page(pager_, table_, index_, number, level);
    level.position = 0;
    ++depth_;
}

PageNumber IndexCursor::child_at(const Level& level) const {
    return level.position < level.page.size() ? level.page.entry(level.position).child
                                              : level.page.tail_page;
}

// Moves from the current position to the first entry at or after it,
// descending leftmost into children and climbing out of exhausted pages.
void IndexCursor::settle() {
    while (depth_ > 0) {
        Level& level = top();
        if (level.page.kind == IndexPageKind::Leaf) {
            if (level.position < level.page.size()) {
                return;
            }
        } else if (level.position <= level.page.size()) {
            PageNumber child = child_at(level);
            if (child != 0) {
                enter(child, true);
                continue;
            }
            if (level.position < level.page.size()) {
                fail(level.page.number,
                     "entry " + std::to_string(level.position) + " has no child page");
            }
        }
        --depth_;
        if (depth_ > 0) {
            ++top().position;
        }
    }
}

void IndexCursor::seek_first() {
    reset();
    enter(index_.root_page, false);
    settle();
}

void IndexCursor::seek(std::span<const std::uint8_t> key) {
    reset();
    enter(index_.root_page, false);
    while (true) {
        Level& level = top();
        std::size_t low = 0;
        std::size_t high = level.page.size();
        while (low < high) {
            const std::size_t middle = low + (high - low) / 2;
            if (compare_keys(level.page.entry(middle).key, key) < 0) {
                low = middle + 1;
            } else {
                high = middle;
            }
        }
        level.position = low;
        if (level.page.kind == IndexPageKind::Leaf) {
            break;
        }
        PageNumber child = child_at(level);
        if (child == 0) {
            break;
        }
        enter(child, true);
    }
    settle();
}

IndexEntryRef IndexCursor::entry_ref() const {
    const Level& leaf = levels_[depth_ - 1];
    return leaf.page.entry(leaf.position);
}

const IndexEntry& IndexCursor::entry() const {
    const IndexEntryRef ref = entry_ref();
    current_.key.assign(ref.key.begin(), ref.key.end());
    current_.row = ref.row;
    current_.child = ref.child;
    return current_;
}

void IndexCursor::next() {
    if (depth_ == 0) {
        return;
    }
    ++top().position;
    settle();
}

void walk_index(Pager& pager, const TableDefinition& table, const RealIndex& index,
                const std::function<void(const IndexEntry&)>& visit) {
    IndexCursor cursor(pager, table, index);
    for (cursor.seek_first(); !cursor.at_end(); cursor.next()) {
        visit(cursor.entry());
    }
}

std::vector<RowPointer> find_rows(Pager& pager, const TableDefinition& table,
                                  const RealIndex& index, std::span<const std::uint8_t> key) {
    std::vector<RowPointer> rows;
    IndexCursor cursor(pager, table, index);
    for (cursor.seek(key); !cursor.at_end() && compare_keys(cursor.entry_ref().key, key) == 0;
         cursor.next()) {
        rows.push_back(cursor.entry_ref().row);
    }
    return rows;
}

std::string describe_index(const TableDefinition& table, const RealIndex& index) {
    std::string names;
    for (const LogicalIndex& logical : table.logical_indexes) {
        if (logical.real_index == index.number) {
            names += (names.empty() ? "'" : "/'") + logical.name + "'";
        }
    }
    const std::string of_table = " of table '" + table.name + "'";
    if (names.empty()) {
        return "real index " + std::to_string(index.number) + of_table;
    }
    return "index " + names + of_table;
}

namespace {

// Room for a usual row's key from the start, so that building it seldom
// moves it: a text column's key takes about a byte a character.
constexpr std::size_t kIndexKeyReserve = 128;

// Position of the column with this number in table.columns.
std::size_t column_position(const TableDefinition& table, const RealIndex& index,
                            std::uint16_t number) {
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        if (table.columns[i].number == number) {
            return i;
        }
    }
    throw FormatError(describe_index(table, index) + " refers to column number " +
                      std::to_string(number) + ", which the table does not have");
}

}  // namespace

std::vector<IndexKeyColumn> index_key_columns(const TableDefinition& table,
                                              const RealIndex& index) {
    std::vector<IndexKeyColumn> columns;
    for (const IndexColumn& indexed : index.columns) {
        const Column& column = table.columns[column_position(table, index, indexed.column_number)];
        columns.push_back({column.type, indexed.ascending, column.sort_order, column.name});
    }
    return columns;
}

std::vector<std::uint8_t> row_index_key(const TableDefinition& table, const RealIndex& index,
                                        const std::vector<Value>& row) {
    std::vector<std::uint8_t> key;
    key.reserve(kIndexKeyReserve);
    for (const IndexColumn& indexed : index.columns) {
        std::size_t at = column_position(table, index, indexed.column_number);
        const Column& column = table.columns[at];
        IndexKeyColumn key_column{column.type, indexed.ascending, column.sort_order, column.name};
        append_column_key(key, key_column, at < row.size() ? row[at] : Value{Null{}});
    }
    return key;
}

bool index_skips_row(const TableDefinition& table, const RealIndex& index,
                     const std::vector<Value>& row) {
    if (!index.ignore_nulls()) {
        return false;
    }
    return std::all_of(index.columns.begin(), index.columns.end(), [&](const IndexColumn& c) {
        std::size_t at = column_position(table, index, c.column_number);
        return at >= row.size() || is_null(row[at]);
    });
}

}  // namespace jet
