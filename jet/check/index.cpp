// An index tree is sound when:
// - every page reached from the root is an index page of this table, listed in
//   the index's usage map, reached once, and its free-space field equals the
//   page's entry capacity minus its entry bytes (index_page_format.h); all
//   leaves lie at the same depth;
// - an intermediate page holds one entry per child but the last, which its
//   tail field names (a page with a single child holds one entry and tail 0),
//   and each entry's key and row pointer copy the last entry of that child's
//   subtree; leaves have tail 0;
// - on every level the pages are linked in tree order through their previous
//   and next fields, 0 at both ends;
// - the leaf entries, in tree order, strictly increase in (key, row pointer);
//   a unique index holds no key twice (all-null keys excepted);
// - they are exactly the entries the live rows call for: one per row, with the
//   key recomputed from the row's values (rows an "ignore nulls" index skips
//   have none).
// The unique-entry count of the table definition counts keys ever added and is
// never lowered, so it may exceed the distinct keys present; below them it is
// wrong.
#include "jet/check/index.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_set>

#include "jet/error.h"
#include "jet/index_key.h"
#include "jet/index_page.h"
#include "jet/index_page_format.h"
#include "jet/index_reader.h"

namespace jet {
namespace {

// Deeper than any tree a 2048-byte page size can need for a 1 GB file.
constexpr std::size_t kMaxDepth = 16;
// Findings one index may add before the rest are only counted.
constexpr std::size_t kFindingLimit = 40;

std::string hex(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < bytes.size() && i < 24; ++i) {
        text += (i ? " " : "");
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    return bytes.size() > 24 ? text + " ..." : text;
}

std::string row_text(RowPointer row) {
    return "row " + std::to_string(row.row) + " of page " + std::to_string(row.page);
}

struct LeafEntry {
    std::vector<std::uint8_t> key;
    RowPointer row;
    PageNumber page = 0;
    std::size_t position = 0;  // on its page
};

bool entry_less(const std::vector<std::uint8_t>& key_a, RowPointer row_a,
                const std::vector<std::uint8_t>& key_b, RowPointer row_b) {
    const int order = compare_keys(key_a, key_b);
    return order < 0 || (order == 0 && row_a < row_b);
}

struct SubtreeEnd {
    std::vector<std::uint8_t> key;
    RowPointer row;
};

struct Links {
    PageNumber previous = 0;
    PageNumber next = 0;
};

class IndexChecker {
  public:
    IndexChecker(Pager& pager, const TableDefinition& table, const RealIndex& index,
                 const std::optional<std::vector<PageNumber>>& map_pages, const TableRows& rows,
                 const std::optional<std::vector<ExpectedIndexEntry>>& expected, FindingLog& log)
        : pager_(pager),
          table_(table),
          index_(index),
          map_pages_(map_pages),
          rows_(rows),
          expected_(expected),
          log_(log),
          structure_(describe_index(table, index)) {}

    std::size_t run() {
        walk(index_.root_page, 0, true);
        check_links();
        check_order();
        check_unreached_pages();
        if (expected_) {
            compare_with_rows();
        }
        if (suppressed_ > 0) {
            log_.error(index_.root_page, structure_,
                       "and " + std::to_string(suppressed_) +
                           " further errors of this index, counted but not listed");
        }
        return leaves_.size();
    }

  private:
    void error(std::optional<PageNumber> page, const std::string& message) {
        if (findings_++ < kFindingLimit) {
            log_.error(page, structure_, message);
        } else {
            ++suppressed_;
            log_.count_unlisted_error();
        }
    }

    std::optional<SubtreeEnd> walk(PageNumber number, std::size_t depth, bool root) {
        if (number == 0 || number >= pager_.page_count()) {
            error(std::nullopt, std::string(root ? "the root page" : "a child page") + " is " +
                                    std::to_string(number) + ", outside the file's " +
                                    std::to_string(pager_.page_count()) + " pages");
            return std::nullopt;
        }
        if (depth >= kMaxDepth) {
            error(number, "the tree is deeper than " + std::to_string(kMaxDepth) + " levels");
            return std::nullopt;
        }
        if (!reached_.insert(number).second) {
            error(number, "the page is reached twice in the tree (a cycle or a shared child)");
            return std::nullopt;
        }
        if (map_pages_ && !std::binary_search(map_pages_->begin(), map_pages_->end(), number)) {
            error(number, "the page is in the tree but not in the index's usage map");
        }
        IndexPage page;
        try {
            page = parse_index_page(number, *pager_.read(number));
        } catch (const Error& e) {
            error(number, e.what());
            return std::nullopt;
        }
        check_page_header(page);
        if (levels_.size() <= depth) {
            levels_.resize(depth + 1);
        }
        levels_[depth].push_back(number);
        links_[number] = {page.previous_page, page.next_page};
        if (page.kind == IndexPageKind::Leaf) {
            return walk_leaf(page, depth, root);
        }
        return walk_intermediate(page, depth);
    }

    void check_page_header(const IndexPage& page) {
        if (page.table_page != table_.page) {
            error(page.number, "the page belongs to the table defined on page " +
                                   std::to_string(page.table_page) + ", not " +
                                   std::to_string(table_.page));
        }
        const std::size_t expected_free = index_page_format::kEntryCapacity - page.entry_bytes;
        if (page.free_space != expected_free) {
            error(page.number, "free space field is " + std::to_string(page.free_space) +
                                   ", but the entries leave " + std::to_string(expected_free) +
                                   " bytes free");
        }
    }

    std::optional<SubtreeEnd> walk_leaf(const IndexPage& page, std::size_t depth, bool root) {
        if (page.tail_page != 0) {
            error(page.number,
                  "a leaf page has tail page " + std::to_string(page.tail_page) + ", not 0");
        }
        if (leaf_depth_ && *leaf_depth_ != depth) {
            error(page.number, "leaves lie at different depths (" + std::to_string(*leaf_depth_) +
                                   " and " + std::to_string(depth) + ")");
        }
        leaf_depth_ = depth;
        if (page.entries.empty()) {
            if (!root) {
                error(page.number, "a leaf page below the root has no entries");
            }
            return std::nullopt;
        }
        for (std::size_t i = 0; i < page.entries.size(); ++i) {
            leaves_.push_back({page.entries[i].key, page.entries[i].row, page.number, i});
        }
        return SubtreeEnd{page.entries.back().key, page.entries.back().row};
    }

    std::optional<SubtreeEnd> walk_intermediate(const IndexPage& page, std::size_t depth) {
        if (page.entries.empty()) {
            error(page.number, "an intermediate page has no entries");
            return std::nullopt;
        }
        std::optional<SubtreeEnd> last;
        for (std::size_t i = 0; i < page.entries.size(); ++i) {
            const IndexEntry& entry = page.entries[i];
            last = walk(entry.child, depth + 1, false);
            if (last && (last->key != entry.key || last->row != entry.row)) {
                error(page.number, "entry " + std::to_string(i) + " (" + hex(entry.key) + ", " +
                                       row_text(entry.row) + ") is not a copy of the last entry " +
                                       "of its child page " + std::to_string(entry.child) + " (" +
                                       hex(last->key) + ", " + row_text(last->row) + ")");
            }
        }
        if (page.tail_page != 0) {
            last = walk(page.tail_page, depth + 1, false);
        }
        return last;
    }

    void check_links() {
        for (std::size_t depth = 0; depth < levels_.size(); ++depth) {
            const std::vector<PageNumber>& level = levels_[depth];
            for (std::size_t i = 0; i < level.size(); ++i) {
                const Links& links = links_[level[i]];
                const PageNumber previous = i > 0 ? level[i - 1] : 0;
                const PageNumber next = i + 1 < level.size() ? level[i + 1] : 0;
                if (links.previous != previous) {
                    error(level[i], "previous-page link is " + std::to_string(links.previous) +
                                        ", but the page before it on level " +
                                        std::to_string(depth) + " is " + std::to_string(previous));
                }
                if (links.next != next) {
                    error(level[i], "next-page link is " + std::to_string(links.next) +
                                        ", but the page after it on level " +
                                        std::to_string(depth) + " is " + std::to_string(next));
                }
            }
            check_chain_for_cycle(level, depth);
        }
    }

    // Follows the next-page links from the level's first page through the
    // pages of the tree; returning to a page means a reader walking the
    // chain would never stop.
    void check_chain_for_cycle(const std::vector<PageNumber>& level, std::size_t depth) {
        std::unordered_set<PageNumber> seen;
        for (PageNumber page = level.front(); page != 0;) {
            if (!seen.insert(page).second) {
                error(page, "the next-page links of level " + std::to_string(depth) +
                                " form a cycle: the chain returns to page " + std::to_string(page));
                return;
            }
            const auto found = links_.find(page);
            if (found == links_.end()) {
                return;
            }
            page = found->second.next;
        }
    }

    void check_order() {
        const std::vector<std::uint8_t> null_key = all_null_key();
        for (std::size_t i = 1; i < leaves_.size(); ++i) {
            const LeafEntry& before = leaves_[i - 1];
            const LeafEntry& entry = leaves_[i];
            const std::string where = "entry " + std::to_string(entry.position);
            if (!entry_less(before.key, before.row, entry.key, entry.row)) {
                error(entry.page,
                      where + " (" + hex(entry.key) + ", " + row_text(entry.row) +
                          ") is out of order: it does not follow the entry before it (" +
                          hex(before.key) + ", " + row_text(before.row) + ")");
            } else if (index_.unique() && before.key == entry.key && entry.key != null_key) {
                error(entry.page, where + ": key " + hex(entry.key) +
                                      " appears twice in a unique index (" + row_text(before.row) +
                                      " and " + row_text(entry.row) + ")");
            }
        }
        std::vector<const LeafEntry*> sorted;
        for (const LeafEntry& entry : leaves_) {
            sorted.push_back(&entry);
        }
        std::sort(sorted.begin(), sorted.end(), [](const LeafEntry* a, const LeafEntry* b) {
            return entry_less(a->key, a->row, b->key, b->row);
        });
        std::size_t distinct = 0;
        for (std::size_t i = 0; i < sorted.size(); ++i) {
            distinct += (i == 0 || sorted[i]->key != sorted[i - 1]->key) ? 1 : 0;
        }
        if (index_.unique_entry_count < distinct) {
            error(table_.page,
                  "the table definition counts " + std::to_string(index_.unique_entry_count) +
                      " distinct keys for the index, but it holds " + std::to_string(distinct));
        }
    }

    std::vector<std::uint8_t> all_null_key() const {
        std::vector<std::uint8_t> key;
        for (const IndexColumn& column : index_.columns) {
            key.push_back(column.ascending ? 0x00 : 0xFF);
        }
        return key;
    }

    void check_unreached_pages() {
        if (!map_pages_) {
            return;
        }
        std::size_t unreached = 0;
        PageNumber first = 0;
        for (PageNumber page : *map_pages_) {
            if (!reached_.count(page)) {
                first = unreached++ == 0 ? page : first;
            }
        }
        if (unreached > 0) {
            log_.warning(first, structure_,
                         std::to_string(unreached) +
                             " pages of the index's usage map are not in its tree (first: page " +
                             std::to_string(first) + ")");
        }
    }

    void compare_with_rows() {
        std::vector<const ExpectedIndexEntry*> expected;
        for (const ExpectedIndexEntry& entry : *expected_) {
            expected.push_back(&entry);
        }
        std::sort(expected.begin(), expected.end(),
                  [](const ExpectedIndexEntry* a, const ExpectedIndexEntry* b) {
                      return entry_less(a->key, a->row, b->key, b->row);
                  });
        std::vector<const LeafEntry*> tree;
        for (const LeafEntry& entry : leaves_) {
            tree.push_back(&entry);
        }
        std::sort(tree.begin(), tree.end(), [](const LeafEntry* a, const LeafEntry* b) {
            return entry_less(a->key, a->row, b->key, b->row);
        });

        std::vector<const LeafEntry*> extra;
        std::vector<const ExpectedIndexEntry*> missing;
        std::size_t i = 0;
        std::size_t j = 0;
        while (i < tree.size() || j < expected.size()) {
            if (j == expected.size() ||
                (i < tree.size() &&
                 entry_less(tree[i]->key, tree[i]->row, expected[j]->key, expected[j]->row))) {
                extra.push_back(tree[i++]);
            } else if (i == tree.size() ||
                       entry_less(expected[j]->key, expected[j]->row, tree[i]->key, tree[i]->row)) {
                missing.push_back(expected[j++]);
            } else {
                ++i;
                ++j;
            }
        }
        report_differences(extra, missing);
    }

    void report_differences(const std::vector<const LeafEntry*>& extra,
                            const std::vector<const ExpectedIndexEntry*>& missing) {
        std::map<RowPointer, const ExpectedIndexEntry*> expected_by_row;
        for (const ExpectedIndexEntry& entry : *expected_) {
            expected_by_row[entry.row] = &entry;
        }
        std::set<RowPointer> explained;
        for (const LeafEntry* entry : extra) {
            const std::string where =
                "entry " + std::to_string(entry->position) + " (" + row_text(entry->row) + ")";
            const auto found = expected_by_row.find(entry->row);
            if (found != expected_by_row.end()) {
                explained.insert(entry->row);
                if (found->second->key == entry->key) {
                    error(entry->page, where + ": the row has more than one entry");
                } else {
                    error(entry->page, where + " holds key " + hex(entry->key) +
                                           ", but the key computed from the row is " +
                                           hex(found->second->key));
                }
            } else if (std::binary_search(rows_.unreadable_rows.begin(),
                                          rows_.unreadable_rows.end(), entry->row)) {
                continue;
            } else if (std::binary_search(rows_.live_rows.begin(), rows_.live_rows.end(),
                                          entry->row)) {
                error(entry->page, where + ": the row's indexed values are all null and the " +
                                       "index ignores nulls, so it must have no entry");
            } else {
                error(entry->page, where + " points to no live row of the table");
            }
        }
        for (const ExpectedIndexEntry* entry : missing) {
            if (!explained.count(entry->row)) {
                error(entry->row.page, row_text(entry->row) + " has no entry in the index (key " +
                                           hex(entry->key) + ")");
            }
        }
    }

    Pager& pager_;
    const TableDefinition& table_;
    const RealIndex& index_;
    const std::optional<std::vector<PageNumber>>& map_pages_;
    const TableRows& rows_;
    const std::optional<std::vector<ExpectedIndexEntry>>& expected_;
    FindingLog& log_;
    std::string structure_;
    std::size_t findings_ = 0;
    std::size_t suppressed_ = 0;

    std::unordered_set<PageNumber> reached_;
    std::vector<std::vector<PageNumber>> levels_;  // pages of each depth in tree order
    std::map<PageNumber, Links> links_;
    std::optional<std::size_t> leaf_depth_;
    std::vector<LeafEntry> leaves_;  // in tree order
};

}  // namespace

void check_index(Pager& pager, const TableDefinition& table, const RealIndex& index,
                 const std::optional<std::vector<PageNumber>>& map_pages, const TableRows& rows,
                 FindingLog& log, CheckSummary& summary) {
    const auto& expected = rows.index_entries[index.number];
    const std::size_t entries =
        IndexChecker(pager, table, index, map_pages, rows, expected, log).run();
    ++summary.indexes;
    summary.index_entries += entries;
}

}  // namespace jet
