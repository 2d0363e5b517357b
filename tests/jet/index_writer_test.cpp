// Index pages built from entries, overflowing pages cut in two, and whole
// trees grown entry by entry: the pages of the real files rebuilt byte for
// byte, every real index of the real files rebuilt by inserting its entries
// again, and trees of many thousands of entries checked by the index walk and
// the consistency check.
#include "jet/index_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "jet/catalogue.h"
#include "jet/catalogue_reader.h"
#include "jet/check.h"
#include "jet/check/index.h"
#include "jet/check/log.h"
#include "jet/codepage.h"
#include "jet/database.h"
#include "jet/database_pager.h"
#include "jet/index_page_builder.h"
#include "jet/index_reader.h"
#include "jet/page_allocator.h"
#include "jet/table_definition_reader.h"
#include "jet/table_writer.h"
#include "jet/usage_map.h"
#include "jet/usage_map_writer.h"
#include "jet/write_error.h"
#include "tests/support/fixtures.h"

namespace jet {
namespace {

using KeyBytes = std::vector<std::uint8_t>;

IndexEntry entry_of(KeyBytes key, PageNumber page, std::uint8_t row, PageNumber child = 0) {
    IndexEntry entry;
    entry.key = std::move(key);
    entry.row = {page, row};
    entry.child = child;
    return entry;
}

bool same_entries(const std::vector<IndexEntry>& a, const std::vector<IndexEntry>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const IndexEntry& x, const IndexEntry& y) {
                          return x.key == y.key && x.row == y.row && x.child == y.child;
                      });
}

// Every page of the tree under `root`, found through entries and tails.
std::vector<PageNumber> tree_pages(Pager& pager, PageNumber root) {
    std::vector<PageNumber> pages{root};
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const IndexPage page = parse_index_page(pages[i], *pager.read(pages[i]));
        if (page.kind == IndexPageKind::Intermediate) {
            for (const IndexEntry& entry : page.entries) {
                pages.push_back(entry.child);
            }
            if (page.tail_page != 0) {
                pages.push_back(page.tail_page);
            }
        }
    }
    return pages;
}

TEST(IndexPageBuilderTest, ReproducesEveryIndexPageOfTheRealFiles) {
    SKIP_WITHOUT_FIXTURES();
    std::size_t pages = 0;
    std::size_t compressed = 0;
    std::size_t intermediate = 0;
    for (const auto& path : jet_test::readable_fixtures()) {
        auto db = Database::open(path, {.code_page = 1252});
        for (const CatalogueEntry& item : db->catalogue()) {
            if (item.type != CatalogueEntry::kLocalTable) {
                continue;
            }
            const TableDefinition& table = db->table(item.name);
            for (const RealIndex& index : table.real_indexes) {
                for (PageNumber number : tree_pages(jet::pager_of(*db), index.root_page)) {
                    const PageRef original = jet::pager_of(*db).read(number);
                    const IndexPage page = parse_index_page(number, *original);
                    Page rebuilt;
                    build_index_page(rebuilt, page);
                    const std::size_t used = 248 + page.entry_bytes;
                    EXPECT_TRUE(
                        std::equal(rebuilt.begin(), rebuilt.begin() + used, original->begin()))
                        << path.filename() << " page " << number << " of "
                        << describe_index(table, index);
                    ++pages;
                    compressed += page.prefix_length > 0 ? 1 : 0;
                    intermediate += page.kind == IndexPageKind::Intermediate ? 1 : 0;
                }
            }
        }
    }
    EXPECT_GT(pages, 100u);
    EXPECT_GT(compressed, 0u);
    EXPECT_GT(intermediate, 0u);
}

TEST(IndexPageBuilderTest, BuiltPagesDecodeToTheirEntriesAndRefuseWhatDoesNotFit) {
    IndexPage node;
    node.kind = IndexPageKind::Intermediate;
    node.table_page = 17;
    node.previous_page = 40;
    node.next_page = 41;
    node.tail_page = 99;
    node.prefix_length = 2;
    for (std::uint8_t i = 0; i < 60; ++i) {
        node.entries.push_back(
            entry_of({0x7F, 0x41, i, static_cast<std::uint8_t>(i * 3)}, 0x012345 + i, i, 1000 + i));
    }
    Page bytes;
    build_index_page(bytes, node);
    const IndexPage decoded = parse_index_page(5, bytes);
    EXPECT_EQ(decoded.kind, IndexPageKind::Intermediate);
    EXPECT_EQ(decoded.table_page, 17u);
    EXPECT_EQ(decoded.previous_page, 40u);
    EXPECT_EQ(decoded.next_page, 41u);
    EXPECT_EQ(decoded.tail_page, 99u);
    EXPECT_EQ(decoded.entry_bytes, 12 + 59 * 10);
    EXPECT_EQ(decoded.free_space, 1800 - decoded.entry_bytes);
    EXPECT_TRUE(same_entries(decoded.entries, node.entries));

    node.prefix_length = 3;  // the third byte differs between entries
    EXPECT_THROW(build_index_page(bytes, node), IndexPageError);

    IndexPage leaf;
    leaf.kind = IndexPageKind::Leaf;
    leaf.entries.push_back(entry_of(KeyBytes(1796, 0x7F), 1, 0));
    build_index_page(bytes, leaf);
    EXPECT_EQ(parse_index_page(5, bytes).free_space, 0);
    leaf.entries.push_back(entry_of({0x7F}, 1, 1));
    EXPECT_THROW(build_index_page(bytes, leaf), IndexPageError);
}

std::vector<IndexEntry> numbered_entries(std::size_t count, std::size_t key_length,
                                         PageNumber first_child = 0) {
    std::vector<IndexEntry> entries;
    for (std::size_t i = 0; i < count; ++i) {
        KeyBytes key(key_length, 0x7F);
        key[key_length - 2] = static_cast<std::uint8_t>(i >> 8);
        key[key_length - 1] = static_cast<std::uint8_t>(i);
        entries.push_back(entry_of(key, 300, static_cast<std::uint8_t>(i),
                                   first_child ? first_child + static_cast<PageNumber>(i) : 0));
    }
    return entries;
}

TEST(IndexSplitTest, KeepsPagesFullForKeysInOrderAndHalvesThemOtherwise) {
    // 201 leaf entries of 9 bytes: one more than a page holds.
    const auto entries = numbered_entries(201, 5);
    const auto ascending = split_index_entries(entries, IndexPageKind::Leaf, 200, false, true);
    EXPECT_EQ(ascending.lower.size(), 200u);
    EXPECT_EQ(ascending.upper.size(), 1u);
    EXPECT_EQ(ascending.separator.key, entries[199].key);

    const auto descending = split_index_entries(entries, IndexPageKind::Leaf, 0, true, false);
    EXPECT_EQ(descending.lower.size(), 1u);
    EXPECT_EQ(descending.upper.size(), 200u);

    // At the end of a page that has a next page, keys do not arrive in order.
    const auto middle = split_index_entries(entries, IndexPageKind::Leaf, 200, false, false);
    EXPECT_EQ(middle.lower.size(), 100u);
    EXPECT_EQ(middle.upper.size(), 101u);
    EXPECT_EQ(middle.separator.key, entries[99].key);
    EXPECT_EQ(middle.lower_tail, 0u);

    // An intermediate page gives the child of its last lower entry to the
    // lower page as its tail, and the entry's copy to the parent.
    const auto nodes = numbered_entries(150, 5, 1000);
    const auto cut = split_index_entries(nodes, IndexPageKind::Intermediate, 40, false, false);
    ASSERT_FALSE(cut.lower.empty());
    const std::size_t moved = cut.lower.size();
    EXPECT_EQ(cut.lower_tail, nodes[moved].child);
    EXPECT_EQ(cut.separator.key, nodes[moved].key);
    EXPECT_EQ(cut.separator.child, 0u);
    EXPECT_EQ(moved + 1 + cut.upper.size(), nodes.size());
    EXPECT_EQ(cut.upper.front().key, nodes[moved + 1].key);
    EXPECT_LE(index_entries_length(cut.upper, IndexPageKind::Intermediate),
              index_page_format::kEntryCapacity);

    // Entries too long for three to a page cannot always be cut.
    const auto huge = numbered_entries(3, 1000);
    EXPECT_THROW(split_index_entries(huge, IndexPageKind::Leaf, 1, false, false), IndexPageError);
}

// A copy of a real file opened for writing, with its catalogue's tables.
class WritableCopy {
  public:
    explicit WritableCopy(const std::filesystem::path& original)
        : file_(jet_test::read_bytes(original)) {
        open();
    }

    void open() {
        pager_ = std::make_unique<Pager>(file_.path(), Pager::Mode::ReadWrite, 256);
        allocator_ = std::make_unique<PageAllocator>(*pager_);
        tables_.clear();
        for (const CatalogueEntry& item : read_catalogue(*pager_, CodePage::get(1252))) {
            if (item.type == CatalogueEntry::kLocalTable) {
                tables_.push_back(read_table_definition(*pager_, static_cast<PageNumber>(item.id),
                                                        item.name, CodePage::get(1252)));
            }
        }
    }

    void close() {
        allocator_.reset();
        pager_.reset();
    }

    TableDefinition& table(const std::string& name) {
        for (TableDefinition& table : tables_) {
            if (table.name == name) {
                return table;
            }
        }
        throw Error("no table " + name);
    }

    Pager& pager() { return *pager_; }
    PageAllocator& allocator() { return *allocator_; }
    std::vector<TableDefinition>& tables() { return tables_; }
    const std::filesystem::path& path() const { return file_.path(); }

  private:
    jet_test::ScratchFile file_;
    std::unique_ptr<Pager> pager_;
    std::unique_ptr<PageAllocator> allocator_;
    std::vector<TableDefinition> tables_;
};

std::vector<IndexEntry> walked_entries(Pager& pager, const TableDefinition& table,
                                       const RealIndex& index) {
    std::vector<IndexEntry> entries;
    walk_index(pager, table, index, [&](const IndexEntry& e) { entries.push_back(e); });
    return entries;
}

// Empties the index: every page but the root goes back to the file's free
// pages, and the root becomes an empty leaf.
void empty_index(WritableCopy& copy, const TableDefinition& table, const RealIndex& index) {
    Pager& pager = copy.pager();
    for (PageNumber page : tree_pages(pager, index.root_page)) {
        if (page != index.root_page) {
            remove_page_from_map(pager, copy.allocator(), index.usage_map, page);
            copy.allocator().release(page);
        }
    }
    IndexPage root;
    root.kind = IndexPageKind::Leaf;
    root.table_page = table.page;
    build_index_page(pager.modify(index.root_page), root);
}

std::string failures(const CheckReport& report) {
    std::string text;
    for (const Finding& finding : report.findings) {
        if (finding.severity == Severity::Error) {
            text += format_finding(finding) + "\n";
        }
    }
    return text;
}

TEST(IndexWriterTest, RebuildsEveryRealIndexOfTheRealFilesEntryByEntry) {
    SKIP_WITHOUT_FIXTURES();
    std::mt19937 random(97);
    std::size_t rebuilt = 0;
    for (const auto& path : jet_test::readable_fixtures()) {
        SCOPED_TRACE(path.filename().string());
        WritableCopy copy(path);
        std::map<std::string, std::vector<std::vector<IndexEntry>>> before;
        for (const TableDefinition& table : copy.tables()) {
            for (const RealIndex& index : table.real_indexes) {
                std::vector<IndexEntry> entries = walked_entries(copy.pager(), table, index);
                before[table.name].push_back(entries);

                copy.pager().begin_change();
                empty_index(copy, table, index);
                std::shuffle(entries.begin(), entries.end(), random);
                std::set<KeyBytes> keys;
                for (const IndexEntry& entry : entries) {
                    const auto result = insert_index_entry(copy.pager(), copy.allocator(), table,
                                                           index, entry.key, entry.row);
                    EXPECT_EQ(result.new_key, keys.insert(entry.key).second);
                }
                copy.pager().commit();
                ++rebuilt;
            }
        }
        copy.close();

        auto db = Database::open(copy.path(), {.code_page = 1252});
        const CheckReport report = check_database(*db);
        EXPECT_TRUE(report.ok()) << failures(report);
        for (const auto& [name, indexes] : before) {
            const TableDefinition& table = db->table(name);
            for (std::size_t i = 0; i < indexes.size(); ++i) {
                std::vector<IndexEntry> after =
                    walked_entries(jet::pager_of(*db), table, table.real_indexes[i]);
                for (IndexEntry& e : after) {
                    e.child = 0;
                }
                EXPECT_TRUE(same_entries(after, indexes[i]))
                    << describe_index(table, table.real_indexes[i]);
            }
        }
    }
    EXPECT_GT(rebuilt, 50u);
}

// Synthetic entries inserted into an emptied real index, checked by the
// project's index check against the list of what was inserted.
class SyntheticTree {
  public:
    SyntheticTree(WritableCopy& copy, const std::string& table_name, std::size_t index_number)
        : copy_(copy), table_(copy.table(table_name)), index_(table_.real_indexes[index_number]) {
        copy_.pager().begin_change();
        empty_index(copy_, table_, index_);
        copy_.pager().commit();
    }

    void insert(const KeyBytes& key, RowPointer row) {
        const auto result =
            insert_index_entry(copy_.pager(), copy_.allocator(), table_, index_, key, row);
        EXPECT_EQ(result.new_key, keys_.insert(key).second);
        new_keys_ += result.new_key ? 1 : 0;
        expected_.push_back({key, row});
    }

    // The index check's errors, with the unique-entry count the inserts reported.
    std::string check() {
        RealIndex counted = index_;
        counted.unique_entry_count = static_cast<std::uint32_t>(new_keys_);
        TableRows rows;
        for (const auto& e : expected_) {
            rows.live_rows.push_back(e.row);
        }
        std::sort(rows.live_rows.begin(), rows.live_rows.end());
        rows.index_entries.resize(table_.real_indexes.size());
        rows.index_entries[index_.number] = expected_;
        CheckReport report;
        FindingLog log(report);
        const auto map = read_usage_map(copy_.pager(), index_.usage_map, "index map");
        check_index(copy_.pager(), table_, counted, map, rows, log, report.summary);
        EXPECT_EQ(report.summary.index_entries, expected_.size());
        EXPECT_EQ(new_keys_, keys_.size());
        return failures(report);
    }

    std::size_t depth() {
        std::size_t levels = 1;
        PageNumber page = index_.root_page;
        while (true) {
            const IndexPage p = parse_index_page(page, *copy_.pager().read(page));
            if (p.kind == IndexPageKind::Leaf) {
                return levels;
            }
            page = p.entries.front().child;
            ++levels;
        }
    }

    const TableDefinition& table() const { return table_; }
    const RealIndex& index() const { return index_; }

  private:
    WritableCopy& copy_;
    const TableDefinition& table_;
    const RealIndex& index_;
    std::set<KeyBytes> keys_;
    std::size_t new_keys_ = 0;
    std::vector<ExpectedIndexEntry> expected_;
};

// A Currency key: start byte and 8 big-endian bytes with the top bit flipped.
KeyBytes currency_key(std::uint32_t n) {
    KeyBytes key{0x7F, 0x80, 0, 0, 0};
    for (int shift = 24; shift >= 0; shift -= 8) {
        key.push_back(static_cast<std::uint8_t>(n >> shift));
    }
    return key;
}

// A text-like key of 10 to 70 bytes whose order follows `n`.
KeyBytes text_key(std::uint32_t n) {
    KeyBytes key{0x7F};
    for (int shift = 12; shift >= 0; shift -= 4) {
        key.push_back(static_cast<std::uint8_t>(0x60 + ((n >> shift) & 0x0F)));
    }
    key.insert(key.end(), 5 + n % 61, 0x70);
    key.push_back(0x00);
    return key;
}

RowPointer row_for(std::uint32_t n) {
    return {500 + n / 200, static_cast<std::uint8_t>(n % 200)};
}

struct TreeCase {
    const char* name;
    std::uint32_t count;
    KeyBytes (*key)(std::uint32_t);
    enum Order { Ascending, Descending, Random } order;
    std::uint32_t duplicates;  // rows per key
};

// A root that refers to its only child through its entry, with no tail: the
// copy follows the child's last entry as keys beyond it arrive.
TEST(IndexWriterTest, KeepsTheCopyOfALastChildThatIsNoTail) {
    SKIP_WITHOUT_FIXTURES();
    WritableCopy copy(jet_test::fixture("nwind.mdb"));
    SyntheticTree tree(copy, "Customers", 0);
    const TableDefinition& table = tree.table();
    const RealIndex& index = tree.index();
    copy.pager().begin_change();
    for (std::uint32_t n = 100; n < 103; ++n) {
        tree.insert(currency_key(n), row_for(n));
    }
    IndexPage child = parse_index_page(index.root_page, *copy.pager().read(index.root_page));
    child.number = copy.allocator().allocate(PageType::IndexLeaf, table.page);
    add_page_to_map(copy.pager(), copy.allocator(), index.usage_map, child.number);
    build_index_page(copy.pager().modify(child.number), child);
    IndexPage root = child;
    root.kind = IndexPageKind::Intermediate;
    root.entries = {child.entries.back()};
    root.entries.back().child = child.number;
    build_index_page(copy.pager().modify(index.root_page), root);
    copy.pager().commit();

    copy.pager().begin_change();
    tree.insert(currency_key(200), row_for(200));
    tree.insert(currency_key(50), row_for(50));
    copy.pager().commit();
    ASSERT_EQ(tree.check(), "");
    const IndexPage top = parse_index_page(index.root_page, *copy.pager().read(index.root_page));
    ASSERT_EQ(top.entries.size(), 1u);
    EXPECT_EQ(top.entries[0].key, currency_key(200));

    copy.pager().begin_change();
    for (std::uint32_t n = 1000; n < 4000; ++n) {
        tree.insert(currency_key(n), row_for(n));
    }
    copy.pager().commit();
    EXPECT_EQ(tree.check(), "");
}

TEST(IndexWriterTest, GrowsThreeLevelTreesInAnyOrderWithDuplicates) {
    SKIP_WITHOUT_FIXTURES();
    const TreeCase cases[] = {
        {"currency keys ascending", 16000, currency_key, TreeCase::Ascending, 1},
        {"currency keys descending", 16000, currency_key, TreeCase::Descending, 1},
        {"currency keys random, 4 rows each", 20000, currency_key, TreeCase::Random, 4},
        {"text keys random", 6000, text_key, TreeCase::Random, 1},
        {"text keys ascending, 3 rows each", 3000, text_key, TreeCase::Ascending, 3},
        {"text keys descending", 6000, text_key, TreeCase::Descending, 1},
    };
    std::mt19937 random(1997);
    for (const TreeCase& c : cases) {
        SCOPED_TRACE(c.name);
        WritableCopy copy(jet_test::fixture("nwind.mdb"));
        // Customers' first real index; its entries are replaced by synthetic ones.
        SyntheticTree tree(copy, "Customers", 0);
        std::vector<std::uint32_t> order(c.count);
        for (std::uint32_t i = 0; i < c.count; ++i) {
            order[i] = i;
        }
        if (c.order == TreeCase::Descending) {
            std::reverse(order.begin(), order.end());
        } else if (c.order == TreeCase::Random) {
            std::shuffle(order.begin(), order.end(), random);
        }
        const std::size_t batch = c.count / 4;
        for (std::size_t i = 0; i < order.size(); ++i) {
            if (i % batch == 0) {
                copy.pager().begin_change();
            }
            const std::uint32_t n = order[i];
            tree.insert(c.key(n / c.duplicates), row_for(n));
            if ((i + 1) % batch == 0 || i + 1 == order.size()) {
                copy.pager().commit();
                ASSERT_EQ(tree.check(), "") << "after " << i + 1 << " inserts";
            }
        }
        EXPECT_EQ(tree.depth(), 3u);
        const auto walked = walked_entries(copy.pager(), tree.table(), tree.index());
        ASSERT_EQ(walked.size(), c.count);
        EXPECT_TRUE(index_has_key(copy.pager(), tree.table(), tree.index(), c.key(0)));
        EXPECT_FALSE(index_has_key(copy.pager(), tree.table(), tree.index(), KeyBytes{0x7F, 0x01}));
        // The writer's own lookup, which the table writer's uniqueness check
        // uses, finds every key held, duplicates that span leaves among them,
        // and none of those that are not.
        IndexWriter writer(copy.pager(), copy.allocator(), tree.table(), tree.index());
        const std::uint32_t keys = c.count / c.duplicates;
        for (std::uint32_t k = 0; k < keys; ++k) {
            ASSERT_TRUE(writer.holds_key(c.key(k))) << "key " << k;
        }
        EXPECT_TRUE(writer.holds_key(c.key(keys - 1)));
        EXPECT_FALSE(writer.holds_key(c.key(keys)));
        EXPECT_FALSE(writer.holds_key(KeyBytes{0x7F, 0x01}));

        copy.close();
        auto db = Database::open(copy.path(), {.code_page = 1252});
        // The rest of the file is untouched by the index's growth.
        const CheckReport report = check_database(*db);
        std::size_t other_errors = 0;
        for (const Finding& finding : report.findings) {
            if (finding.severity == Severity::Error &&
                finding.structure != describe_index(tree.table(), tree.index())) {
                ++other_errors;
                ADD_FAILURE() << format_finding(finding);
            }
        }
        EXPECT_EQ(other_errors, 0u);
    }
}

std::size_t tree_depth(Pager& pager, PageNumber root) {
    std::size_t levels = 1;
    for (PageNumber page = root;; ++levels) {
        const IndexPage p = parse_index_page(page, *pager.read(page));
        if (p.kind == IndexPageKind::Leaf) {
            return levels;
        }
        page = p.entries.front().child;
    }
}

// Rows stored through the table writer in random key order grow Northwind's
// Customers indexes (a unique text primary key, text indexes with many equal
// keys) to three levels; the whole file stays consistent.
TEST(IndexWriterTest, RowsInRandomOrderGrowRealIndexesToThreeLevels) {
    SKIP_WITHOUT_FIXTURES();
    jet_test::ScratchFile file(jet_test::read_bytes(jet_test::fixture("nwind.mdb")));
    std::mt19937 random(874);
    const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const std::string name_bytes = "abcdefghijklmnopqrstuvwxyz \xE0\xE9\xFC\xDF\xC7\xF1";
    const std::vector<std::string> cities = {"Berlin", "M\xE9xico D.F.", "Lule\xE5", "London"};
    std::size_t stored = 0;
    {
        auto db = Database::open(file.path(), {.code_page = 1252, .writable = true});
        TableWriter writer(*db, "Customers");
        const std::size_t id = writer.column_position("CustomerID");
        const std::size_t name = writer.column_position("CompanyName");
        const std::size_t city = writer.column_position("City");
        std::set<std::string> ids;
        while (stored < 3000) {
            std::string customer;
            for (int i = 0; i < 5; ++i) {
                customer += letters[random() % letters.size()];
            }
            if (!ids.insert(customer).second) {
                continue;
            }
            std::string company;
            for (std::size_t i = 0, n = 25 + random() % 15; i < n; ++i) {
                company += name_bytes[random() % name_bytes.size()];
            }
            std::vector<std::optional<Value>> values(writer.table().columns.size());
            values[id] = Text{customer};
            values[name] = Text{company};
            values[city] = Text{cities[random() % cities.size()]};
            try {
                writer.insert(values);
                ++stored;
            } catch (const WriteRefused& e) {
                // a generated ID that folds onto one of Northwind's own
                ASSERT_EQ(e.kind(), WriteRefused::Kind::DuplicateKey) << e.what();
            }
        }
        db->close();
    }
    auto db = Database::open(file.path(), {.code_page = 1252});
    const CheckReport report = check_database(*db);
    EXPECT_TRUE(report.ok()) << failures(report);
    const TableDefinition& table = db->table("Customers");
    std::size_t deepest = 0;
    for (const RealIndex& index : table.real_indexes) {
        deepest = std::max(deepest, tree_depth(jet::pager_of(*db), index.root_page));
        EXPECT_EQ(walked_entries(jet::pager_of(*db), table, index).size(), 91 + stored)
            << describe_index(table, index);
    }
    EXPECT_EQ(deepest, 3u);
}

}  // namespace
}  // namespace jet
