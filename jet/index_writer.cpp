// Inserting into an index tree.
//
// The tree (pages described in index_page_format.h) keeps, on every intermediate
// page, one entry per child but the last: the entry is a copy of the key and
// row pointer of the last entry in that child's subtree, and the last child
// is the page's tail. (An intermediate page without a tail refers to its last
// child through its last entry.) Pages of one level are linked through their
// previous and next pages.
//
// An insert descends from the root, on each intermediate page to the child
// of the first entry not less than the new (key, row pointer), or to the tail
// when every entry is less; puts the entry at its place on the leaf; and
// climbs back up while something above has to change:
//   - the new entry can become the last of its page only on a parent's last
//     child (every other child's copy is not less than it). A tail has no
//     copy, so the change climbs on to the grandparent; a parent without a
//     tail has its last entry, the copy, updated;
//   - a page that no longer fits is cut in two: the new page, allocated for
//     the index and linked in before it, takes the lower entries, and the
//     parent gets an entry for it just before the entry (or tail) of the page
//     that was cut. The cut page keeps its upper entries, so its own copy in
//     the parent stays right.
//   - the root keeps its page number: when it no longer fits, its entries
//     move to two new pages and it becomes an intermediate page with one
//     entry for the lower page and the upper page as its tail.
// Pages are rewritten whole with no prefix compression. The common insert,
// which changes only its leaf and finds it without a shared prefix and with
// room, moves the leaf's later entries up in place instead, which gives the
// same bytes (see IndexWriter::insert); pages on the way down are read in
// place, never copied.
#include "jet/index_writer.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "jet/coding.h"
#include "jet/index_key.h"
#include "jet/index_page_builder.h"
#include "jet/index_page_format.h"
#include "jet/index_reader.h"
#include "jet/usage_map_writer.h"

namespace jet {
namespace {

using namespace index_page_format;

// The pointers after the key of an intermediate entry, the longer kind.
constexpr std::size_t kNodePointerLength = kRowPointerLength + kChildPointerLength;
// Deeper than any tree of a 1 GB file can be; a longer descent is a cycle.
constexpr std::size_t kMaxDepth = 32;

// Order of entries in a tree: key bytes, then row pointer.
int compare_entry(std::span<const std::uint8_t> entry_key, RowPointer entry_row,
                  std::span<const std::uint8_t> key, RowPointer row) {
    const int by_key = compare_keys(entry_key, key);
    if (by_key != 0) {
        return by_key;
    }
    return entry_row < row ? -1 : (entry_row == row ? 0 : 1);
}

}  // namespace

IndexWriter::IndexWriter(Pager& pager, PageAllocator& allocator, const TableDefinition& table,
                         const RealIndex& index)
    : pager_(pager), allocator_(allocator), table_(table), index_(index) {}

IndexWriter::~IndexWriter() = default;

[[noreturn]] void IndexWriter::fail(PageNumber page, const std::string& what) const {
    throw FormatError(describe_index(table_, index_) + ", page " + std::to_string(page) + ": " +
                      what);
}

void IndexWriter::read_page(PageNumber number, LoadedIndexPage& loaded) {
    if (number == 0 || number >= pager_.page_count()) {
        throw FormatError(describe_index(table_, index_) + ": page " + std::to_string(number) +
                          " lies outside the file's " + std::to_string(pager_.page_count()) +
                          " pages");
    }
    load_index_page(pager_, table_, index_, number, loaded);
}

void IndexWriter::descend(std::span<const std::uint8_t> key, RowPointer row) {
    depth_ = 0;
    PageNumber number = index_.root_page;
    while (true) {
        const bool seen = std::any_of(path_.begin(), path_.begin() + depth_,
                                      [&](const Step& step) { return step.page.number == number; });
        if (seen || depth_ + 1 > kMaxDepth) {
            fail(number, "is reached twice on the way down (a cycle in the tree)");
        }
        if (depth_ == path_.size()) {
            path_.emplace_back();
        }
        Step& step = path_[depth_++];
        read_page(number, step);
        const IndexPageView& page = step.page;
        std::size_t low = 0;
        std::size_t high = page.size();
        while (low < high) {
            const std::size_t middle = low + (high - low) / 2;
            const IndexEntryRef entry = page.entry(middle);
            if (compare_entry(entry.key, entry.row, key, row) < 0) {
                low = middle + 1;
            } else {
                high = middle;
            }
        }
        step.position = low;
        if (page.kind == IndexPageKind::Leaf) {
            return;
        }
        if (low == page.size() && page.tail_page == 0) {
            if (page.size() == 0) {
                fail(number, "is an intermediate page with no entries and no tail");
            }
            step.position = page.size() - 1;
        }
        number = step.position < page.size() ? page.entry(step.position).child : page.tail_page;
    }
}

// Whether the last (or first) entry of the leaf `number` has this key.
bool IndexWriter::neighbour_has_key(PageNumber number, bool last,
                                    std::span<const std::uint8_t> key) {
    if (number == 0) {
        return false;
    }
    read_page(number, neighbour_);
    const IndexPageView& page = neighbour_.page;
    if (page.size() == 0) {
        return false;
    }
    const IndexEntryRef entry = page.entry(last ? page.size() - 1 : 0);
    return compare_keys(entry.key, key) == 0;
}

PageNumber IndexWriter::allocate(IndexPageKind kind) {
    const PageType type = kind == IndexPageKind::Leaf ? PageType::IndexLeaf : PageType::IndexNode;
    const PageNumber number = allocator_.allocate(type, table_.page);
    add_page_to_map(pager_, allocator_, index_.usage_map, number);
    return number;
}

void IndexWriter::write(const IndexPage& page) {
    build_index_page(pager_.modify(page.number), page);
}

// Makes the page before a cut page point to the new lower page.
void IndexWriter::link_previous(PageNumber previous, PageNumber old_next, PageNumber new_next) {
    if (previous == 0) {
        return;
    }
    if (previous >= pager_.page_count()) {
        fail(old_next, "names previous page " + std::to_string(previous) + ", outside the file");
    }
    Page& page = pager_.modify(previous);
    if (!is_index_page(page) || get_u32le(&page[kTablePageOffset]) != table_.page ||
        get_u32le(&page[kNextPageOffset]) != old_next) {
        fail(old_next, "names previous page " + std::to_string(previous) +
                           ", which is not the index page before it on its level");
    }
    put_u32le(&page[kNextPageOffset], new_next);
}

// Cuts `page` (not the root), writes both halves and returns the parent's
// entry for the new lower page.
IndexEntry IndexWriter::split(IndexPage& page, std::size_t inserted_at) {
    IndexSplit cut = split_index_entries(std::move(page.entries), page.kind, inserted_at,
                                         page.previous_page == 0, page.next_page == 0);
    IndexPage lower;
    lower.number = allocate(page.kind);
    lower.kind = page.kind;
    lower.table_page = table_.page;
    lower.previous_page = page.previous_page;
    lower.next_page = page.number;
    lower.tail_page = cut.lower_tail;
    lower.entries = std::move(cut.lower);
    link_previous(page.previous_page, page.number, lower.number);
    page.previous_page = lower.number;
    page.entries = std::move(cut.upper);
    page.prefix_length = 0;
    write(lower);
    write(page);
    IndexEntry separator = std::move(cut.separator);
    separator.child = lower.number;
    return separator;
}

// Moves the root's entries to two new pages; the root becomes an
// intermediate page over them.
void IndexWriter::split_root(IndexPage& root, std::size_t inserted_at) {
    IndexSplit cut =
        split_index_entries(std::move(root.entries), root.kind, inserted_at, true, true);
    IndexPage lower;
    lower.kind = root.kind;
    lower.table_page = table_.page;
    lower.number = allocate(root.kind);
    IndexPage upper = lower;
    upper.number = allocate(root.kind);
    lower.next_page = upper.number;
    lower.tail_page = cut.lower_tail;
    lower.entries = std::move(cut.lower);
    upper.previous_page = lower.number;
    upper.tail_page = root.tail_page;
    upper.entries = std::move(cut.upper);
    write(lower);
    write(upper);

    IndexEntry separator = std::move(cut.separator);
    separator.child = lower.number;
    root.kind = IndexPageKind::Intermediate;
    root.previous_page = 0;
    root.next_page = 0;
    root.prefix_length = 0;
    root.tail_page = upper.number;
    root.entries = {std::move(separator)};
    write(root);
}

// Whether putting the entry on the leaf leaves every page above unchanged:
// it does unless the entry becomes the leaf's last and some page on the way
// down leads to it through an entry (whose copy of the last key would change)
// rather than through its tail, which has no copy.
bool IndexWriter::changes_only_the_leaf() const {
    const Step& leaf = path_[depth_ - 1];
    if (leaf.position < leaf.page.size()) {
        return true;
    }
    for (std::size_t level = depth_ - 1; level > 0; --level) {
        const Step& parent = path_[level - 1];
        if (parent.position < parent.page.size()) {
            return false;
        }
    }
    return true;
}

// Whether the entry can be put on the path's leaf in place: the leaf has no
// shared prefix, the entry fits beside its entries, and no page above
// changes.
bool IndexWriter::fits_in_place(std::span<const std::uint8_t> key) const {
    const IndexPageView& leaf = path_[depth_ - 1].page;
    return leaf.prefix_length == 0 &&
           leaf.entry_bytes + key.size() + kRowPointerLength <= kEntryCapacity &&
           changes_only_the_leaf();
}

IndexInsertResult IndexWriter::insert(std::span<const std::uint8_t> key, RowPointer row) {
    if (!index_key_fits(key)) {
        throw Error(describe_index(table_, index_) + ": a key of " + std::to_string(key.size()) +
                    " bytes is longer than the " +
                    std::to_string(kMaxIndexEntryLength - kNodePointerLength) +
                    " bytes an index entry can hold");
    }
    descend(key, row);
    Step& leaf = path_[depth_ - 1];
    const std::size_t at = leaf.position;

    const bool before_has_key = at > 0 ? compare_keys(leaf.page.entry(at - 1).key, key) == 0
                                       : neighbour_has_key(leaf.page.previous_page, true, key);
    const bool after_has_key = at < leaf.page.size()
                                   ? compare_keys(leaf.page.entry(at).key, key) == 0
                                   : neighbour_has_key(leaf.page.next_page, false, key);
    IndexInsertResult result;
    result.new_key = !before_has_key && !after_has_key;

    if (!fits_in_place(key)) {
        insert_and_climb(key, row);
        return result;
    }
    // The general insert would write the leaf alone, rebuilt from its entries
    // with the new one among them: its header fields as they are, prefix 0,
    // the entries before `at` at their bytes and the later ones moved up by
    // the new entry's length, the rest zeroed. insert_leaf_entry writes those
    // same bytes in place. The leaf's view is brought along, so that the next
    // insert, most often into the same leaf, need not decode it again.
    const PageNumber number = leaf.page.number;
    Page& bytes = pager_.modify(number);
    insert_leaf_entry(bytes, leaf.page, at, key, row);
    view_after_leaf_insert(leaf.page, bytes, at, key.size() + kRowPointerLength);
    leaf.bytes = pager_.read(number);
    leaf.stamp = pager_.modification_stamp(number);
    return result;
}

// The lowest row pointer sorts before every entry of the key, so the
// descent stops at the key's first entry, or where it would be: at the end
// of a leaf, the next leaf may begin with it.
bool IndexWriter::holds_key(std::span<const std::uint8_t> key) {
    descend(key, RowPointer{});
    const Step& leaf = path_[depth_ - 1];
    if (leaf.position < leaf.page.size()) {
        return compare_keys(leaf.page.entry(leaf.position).key, key) == 0;
    }
    return neighbour_has_key(leaf.page.next_page, false, key);
}

// Writes a page below the root as the climb left it. A page that no longer
// fits is cut in two, and the parent's entry for the new lower page is
// returned; a page whose entries changed is rewritten; any other page stays
// as it is.
std::optional<IndexEntry> IndexWriter::store(IndexPage& page, const PageChange& change) {
    if (index_entries_length(page.entries, page.kind) > kEntryCapacity) {
        return split(page, change.inserted_at);
    }
    if (change.entries_changed) {
        page.prefix_length = 0;
        write(page);
    }
    return std::nullopt;
}

// As store, for the root, which keeps its page number: a root that no
// longer fits moves its entries down to two new pages.
void IndexWriter::store_root(IndexPage& root, const PageChange& change) {
    if (index_entries_length(root.entries, root.kind) > kEntryCapacity) {
        split_root(root, change.inserted_at);
    } else if (change.entries_changed) {
        root.prefix_length = 0;
        write(root);
    }
}

// What the parent must take up from a change below it, `new_entry` being the
// entry the insert added.
IndexWriter::PageChange IndexWriter::carry_to_parent(CopiedStep& parent, const PageChange& change,
                                                     std::optional<IndexEntry> lower_entry,
                                                     const IndexEntry& new_entry) {
    std::vector<IndexEntry>& entries = parent.page.entries;
    const std::size_t position = parent.position;
    const bool through_tail = position == entries.size();
    PageChange up;
    up.inserted_at = position;
    if (change.subtree_end_changed && through_tail) {
        // The tail has no copy of its last entry; the parent's own subtree
        // ends with the new entry now, so the grandparent may hold a copy.
        up.subtree_end_changed = true;
    } else if (change.subtree_end_changed) {
        // The parent's entry for the page copies the page's last entry.
        entries[position].key = new_entry.key;
        entries[position].row = new_entry.row;
        up.entries_changed = true;
        up.subtree_end_changed = parent.page.tail_page == 0 && position + 1 == entries.size();
    }
    if (lower_entry) {
        // The page was cut: the new lower page goes just before it.
        entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(position),
                       std::move(*lower_entry));
        up.entries_changed = true;
    }
    return up;
}

// The general insert: every page on the path copied out, the entry put on
// the leaf, and the change carried up from page to parent until a page is
// left with nothing its parent must take up.
void IndexWriter::insert_and_climb(std::span<const std::uint8_t> key, RowPointer row) {
    copied_.clear();
    for (std::size_t level = 0; level < depth_; ++level) {
        copied_.push_back({to_index_page(path_[level].page), path_[level].position});
    }
    std::vector<IndexEntry>& entries = copied_.back().page.entries;
    const std::size_t at = copied_.back().position;
    IndexEntry entry;
    entry.key.assign(key.begin(), key.end());
    entry.row = row;
    entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(at), entry);

    PageChange change;
    change.entries_changed = true;
    change.inserted_at = at;
    change.subtree_end_changed = at + 1 == entries.size();
    for (std::size_t level = copied_.size() - 1; level > 0; --level) {
        std::optional<IndexEntry> lower_entry = store(copied_[level].page, change);
        change = carry_to_parent(copied_[level - 1], change, std::move(lower_entry), entry);
        if (!change.entries_changed && !change.subtree_end_changed) {
            return;
        }
    }
    store_root(copied_[0].page, change);
}

bool index_key_fits(std::span<const std::uint8_t> key) {
    return key.size() + kNodePointerLength <= kMaxIndexEntryLength;
}

IndexInsertResult insert_index_entry(Pager& pager, PageAllocator& allocator,
                                     const TableDefinition& table, const RealIndex& index,
                                     std::span<const std::uint8_t> key, RowPointer row) {
    return IndexWriter(pager, allocator, table, index).insert(key, row);
}

bool index_has_key(Pager& pager, const TableDefinition& table, const RealIndex& index,
                   std::span<const std::uint8_t> key) {
    IndexCursor cursor(pager, table, index);
    cursor.seek(key);
    return !cursor.at_end() && compare_keys(cursor.entry_ref().key, key) == 0;
}

}  // namespace jet
