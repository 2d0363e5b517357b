// Walking and searching index trees built page by page in a scratch file,
// sound ones and damaged ones (cycles, pointers out of the file, pages of
// another table).
#include "jet/index_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "jet/coding.h"

namespace jet {
namespace {

constexpr PageNumber kTablePage = 2;

using Bytes = std::vector<std::uint8_t>;

struct Entry {
    Bytes key;
    RowPointer row;
    PageNumber child = 0;
};

Page index_page(std::uint8_t type, const std::vector<Entry>& entries, PageNumber tail = 0,
                PageNumber table_page = kTablePage) {
    Page page{};
    page[0] = type;
    page[1] = 0x01;
    put_u32le(page.data() + 4, table_page);
    put_u32le(page.data() + 16, tail);
    std::size_t end = 0;
    for (const Entry& e : entries) {
        Bytes whole = e.key;
        whole.insert(whole.end(), {static_cast<std::uint8_t>(e.row.page >> 16),
                                   static_cast<std::uint8_t>(e.row.page >> 8),
                                   static_cast<std::uint8_t>(e.row.page), e.row.row});
        if (type == 0x03) {
            for (int shift = 24; shift >= 0; shift -= 8) {
                whole.push_back(static_cast<std::uint8_t>(e.child >> shift));
            }
        }
        std::copy(whole.begin(), whole.end(), page.begin() + 248 + end);
        end += whole.size();
        page[22 + end / 8] |= static_cast<std::uint8_t>(1 << (end % 8));
    }
    page[2] = static_cast<std::uint8_t>(1800 - end);
    page[3] = static_cast<std::uint8_t>((1800 - end) >> 8);
    return page;
}

Page leaf(const std::vector<Entry>& entries) {
    return index_page(0x04, entries);
}
Page node(const std::vector<Entry>& entries, PageNumber tail) {
    return index_page(0x03, entries, tail);
}

// A scratch database file holding `pages` from page 1 on.
class ScratchTree {
  public:
    explicit ScratchTree(const std::vector<Page>& pages) {
        path_ = std::filesystem::temp_directory_path() /
                ("jet-index-reader-" + std::to_string(std::random_device{}()) + ".mdb");
        std::ofstream out(path_, std::ios::binary);
        Page header{};
        out.write(reinterpret_cast<const char*>(header.data()), kPageSize);
        for (const Page& page : pages) {
            out.write(reinterpret_cast<const char*>(page.data()), kPageSize);
        }
    }
    ~ScratchTree() { std::filesystem::remove(path_); }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

TableDefinition table_with_index(PageNumber root) {
    TableDefinition table;
    table.name = "Song";
    table.page = kTablePage;
    RealIndex index;
    index.number = 0;
    index.root_page = root;
    table.real_indexes.push_back(index);
    table.logical_indexes.push_back({"Title", 0, 0, IndexKind::Other});
    return table;
}

Entry e(std::uint8_t key, std::uint8_t row, PageNumber child = 0) {
    return {{0x7F, key}, {0x10, row}, child};
}

std::vector<std::uint8_t> walked_keys(Pager& pager, const TableDefinition& table) {
    std::vector<std::uint8_t> keys;
    walk_index(pager, table, table.real_indexes[0],
               [&](const IndexEntry& entry) { keys.push_back(entry.key.at(1)); });
    return keys;
}

std::string walk_error(const std::vector<Page>& pages, PageNumber root) {
    ScratchTree file(pages);
    Pager pager(file.path(), Pager::Mode::ReadOnly, 4);
    TableDefinition table = table_with_index(root);
    try {
        walked_keys(pager, table);
    } catch (const FormatError& error) {
        return error.what();
    }
    return "no error";
}

// Pages 1..4: root node (entries for leaves 2 and 3, tail leaf 4).
// Key 5 appears on leaves 2 and 3.
std::vector<Page> two_level_tree() {
    return {node({e(5, 2, 2), e(7, 1, 3)}, 4),  //
            leaf({e(1, 0), e(3, 0), e(5, 1), e(5, 2)}), leaf({e(5, 3), e(6, 0), e(7, 1)}),
            leaf({e(8, 0), e(9, 0)})};
}

TEST(IndexReaderTest, WalksEveryLeafInTreeOrder) {
    ScratchTree file(two_level_tree());
    Pager pager(file.path(), Pager::Mode::ReadOnly, 2);
    const TableDefinition table = table_with_index(1);
    EXPECT_EQ(walked_keys(pager, table), (std::vector<std::uint8_t>{1, 3, 5, 5, 5, 6, 7, 8, 9}));
}

TEST(IndexReaderTest, FindsEveryRowWithAKeyAcrossLeaves) {
    ScratchTree file(two_level_tree());
    Pager pager(file.path(), Pager::Mode::ReadOnly, 2);
    const TableDefinition table = table_with_index(1);
    const RealIndex& index = table.real_indexes[0];
    EXPECT_EQ(find_rows(pager, table, index, Bytes{0x7F, 5}),
              (std::vector<RowPointer>{{0x10, 1}, {0x10, 2}, {0x10, 3}}));
    EXPECT_EQ(find_rows(pager, table, index, Bytes{0x7F, 9}), (std::vector<RowPointer>{{0x10, 0}}));
    EXPECT_TRUE(find_rows(pager, table, index, Bytes{0x7F, 4}).empty());
    EXPECT_TRUE(find_rows(pager, table, index, Bytes{0x7F, 0xEE}).empty());

    IndexCursor cursor(pager, table, index);
    cursor.seek(Bytes{0x7F, 7, 0});  // between 7 and 8: lands on the tail leaf
    ASSERT_FALSE(cursor.at_end());
    EXPECT_EQ(cursor.entry().key, (Bytes{0x7F, 8}));
    cursor.seek(Bytes{0x7F});  // before everything
    EXPECT_EQ(cursor.entry().key, (Bytes{0x7F, 1}));
}

TEST(IndexReaderTest, RootWithOneChildAndNoTail) {
    ScratchTree file({node({e(3, 0, 2)}, 0), leaf({e(1, 0), e(3, 0)})});
    Pager pager(file.path(), Pager::Mode::ReadOnly, 2);
    const TableDefinition table = table_with_index(1);
    EXPECT_EQ(walked_keys(pager, table), (std::vector<std::uint8_t>{1, 3}));
    EXPECT_TRUE(find_rows(pager, table, table.real_indexes[0], Bytes{0x7F, 4}).empty());
}

TEST(IndexReaderTest, EmptyIndexYieldsNothing) {
    ScratchTree file({leaf({})});
    Pager pager(file.path(), Pager::Mode::ReadOnly, 2);
    EXPECT_TRUE(walked_keys(pager, table_with_index(1)).empty());
}

TEST(IndexReaderTest, DamagedTreesGiveErrorsNamingIndexAndPage) {
    // The tail points back at the root.
    std::string cycle = walk_error({node({e(1, 0, 2)}, 1), leaf({e(1, 0)})}, 1);
    EXPECT_NE(cycle.find("index 'Title' of table 'Song', page 1"), std::string::npos) << cycle;
    EXPECT_NE(cycle.find("reached twice"), std::string::npos) << cycle;

    // Two entries share one leaf.
    std::string shared = walk_error({node({e(1, 0, 2), e(2, 0, 2)}, 0), leaf({e(1, 0)})}, 1);
    EXPECT_NE(shared.find("page 2"), std::string::npos) << shared;

    std::string outside = walk_error({node({e(1, 0, 99)}, 0)}, 1);
    EXPECT_NE(outside.find("outside the file"), std::string::npos) << outside;

    std::string root_outside = walk_error({leaf({})}, 500);
    EXPECT_NE(root_outside.find("root page is 500"), std::string::npos) << root_outside;

    std::string not_index = walk_error({node({e(1, 0, 2)}, 0), Page{}}, 1);
    EXPECT_NE(not_index.find("not an index page"), std::string::npos) << not_index;

    std::string other_table =
        walk_error({node({e(1, 0, 2)}, 0), index_page(0x04, {e(1, 0)}, 0, 9)}, 1);
    EXPECT_NE(other_table.find("table defined on page 9"), std::string::npos) << other_table;

    std::string no_child = walk_error({node({e(1, 0, 0), e(2, 0, 2)}, 0), leaf({e(2, 0)})}, 1);
    EXPECT_NE(no_child.find("no child page"), std::string::npos) << no_child;
}

TEST(IndexReaderTest, DescribesIndexesByTheirLogicalNames) {
    TableDefinition table = table_with_index(1);
    EXPECT_EQ(describe_index(table, table.real_indexes[0]), "index 'Title' of table 'Song'");
    table.logical_indexes.push_back({"TitleRef", 1, 0, IndexKind::ForeignKey});
    EXPECT_EQ(describe_index(table, table.real_indexes[0]),
              "index 'Title'/'TitleRef' of table 'Song'");
    table.logical_indexes.clear();
    EXPECT_EQ(describe_index(table, table.real_indexes[0]), "real index 0 of table 'Song'");
}

TEST(IndexReaderTest, RowKeysFollowTheIndexColumnsAndIgnoreNulls) {
    TableDefinition table = table_with_index(1);
    Column id;
    id.name = "Id";
    id.type = ColumnType::Long;
    id.number = 0;
    Column title;
    title.name = "Title";
    title.type = ColumnType::Text;
    title.number = 3;
    title.sort_order = 1033;
    table.columns = {id, title};
    RealIndex& index = table.real_indexes[0];
    index.columns = {{3, false}, {0, true}};
    index.flags = RealIndex::kIgnoreNulls;

    const std::vector<Value> row = {std::int32_t{1}, Text{"a"}};
    EXPECT_EQ(row_index_key(table, index, row), (Bytes{0x80, 0x9F, 0xFF, 0x7F, 0x80, 0, 0, 1}));
    EXPECT_FALSE(index_skips_row(table, index, row));
    EXPECT_TRUE(index_skips_row(table, index, {Null{}, Null{}}));
    index.flags = 0;
    EXPECT_FALSE(index_skips_row(table, index, {Null{}, Null{}}));

    index.columns = {{7, true}};
    EXPECT_THROW(row_index_key(table, index, row), FormatError);
}

}  // namespace
}  // namespace jet
