// Reading the real Access 97 files: every table, the catalogue's moved rows,
// deleted columns, Booleans and long values.
#include <gtest/gtest.h>

#include "jet/data_page.h"
#include "jet/database.h"
#include "jet/database_pager.h"
#include "jet/error.h"
#include "tests/support/fixtures.h"

namespace {

const char* const kReadableFiles[] = {
    "acc97.mdb",  "delTestV1997.mdb",        "indexTestV1997.mdb",
    "nwind.mdb",  "overflowTestV1997.mdb",   "queryTestV1997.mdb",
    "size97.mdb", "testIndexCodesV1997.mdb", "testV1997.mdb",
};

std::unique_ptr<jet::Database> open(const char* name) {
    return jet::Database::open(jet_test::fixture(name), {1252});
}

std::vector<std::vector<jet::Value>> rows_of(jet::Database& db, const std::string& table) {
    std::vector<std::vector<jet::Value>> rows;
    db.for_each_row(db.table(table), [&](jet::RowPointer, const std::vector<jet::Value>& row) {
        rows.push_back(row);
    });
    return rows;
}

// Every local table, system tables included: the rows found match the cached
// row count, and reading each row by its pointer gives the scanned values.
TEST(RealFilesTest, EveryTableReadsItsRowCountAndEachRowByPointer) {
    SKIP_WITHOUT_FIXTURES();
    for (const char* file : kReadableFiles) {
        SCOPED_TRACE(file);
        const auto db = open(file);
        for (const jet::CatalogueEntry& entry : db->catalogue()) {
            if (entry.type != jet::CatalogueEntry::kLocalTable) {
                continue;
            }
            SCOPED_TRACE(entry.name);
            const jet::TableDefinition& table = db->table(entry.name);
            std::size_t count = 0;
            db->for_each_row(table, [&](jet::RowPointer at, const std::vector<jet::Value>& row) {
                ++count;
                ASSERT_EQ(db->read_row(table, at), row);
            });
            EXPECT_EQ(count, table.row_count);
        }
    }
}

TEST(RealFilesTest, UserTablesOfNorthwind) {
    SKIP_WITHOUT_FIXTURES();
    const auto db = open("nwind.mdb");
    auto names = db->table_names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{"Categories", "Customers", "Employees", "Order Details",
                                        "Orders", "Products", "Shippers", "Suppliers"}));
}

// Northwind's catalogue holds rows moved to other pages; each is found once,
// at its original slot.
TEST(RealFilesTest, MovedCatalogueRowsAreReadOnceThroughTheirPointer) {
    SKIP_WITHOUT_FIXTURES();
    const auto db = open("nwind.mdb");
    const jet::TableDefinition& catalogue = db->table("MSysObjects");
    std::size_t moved = 0;
    std::set<std::int32_t> ids;
    const std::size_t id = 0;
    db->for_each_row(catalogue, [&](jet::RowPointer at, const std::vector<jet::Value>& row) {
        const jet::DataPage page(jet::pager_of(*db).read(at.page), at.page, "test");
        moved += page.slot(at.row).lookup ? 1 : 0;
        EXPECT_TRUE(ids.insert(std::get<std::int32_t>(row[id])).second);
    });
    EXPECT_GT(moved, 10u);
    EXPECT_EQ(ids.size(), catalogue.row_count);
}

TEST(RealFilesTest, DeletedColumnLeavesOtherColumnsInPlace) {
    SKIP_WITHOUT_FIXTURES();
    const auto db = open("overflowTestV1997.mdb");
    const jet::TableDefinition& table = db->table("Table1");
    EXPECT_EQ(table.column_by_name("data2"), nullptr);
    ASSERT_EQ(table.columns.size(), 9u);
    const auto rows = rows_of(*db, "Table1");
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[2][0], jet::Value(jet::Null{}));
    EXPECT_EQ(rows[2][1], jet::Value(jet::Text{"row3col3"}));
    EXPECT_EQ(rows[2][7], jet::Value(jet::Text{"row3col9"}));
    EXPECT_EQ(rows[6][5], jet::Value(jet::Text{"row7col7"}));
}

TEST(RealFilesTest, FixedColumnsNullsAndBooleans) {
    SKIP_WITHOUT_FIXTURES();
    const auto db = open("testV1997.mdb");
    const auto rows = rows_of(*db, "Table1");
    ASSERT_EQ(rows.size(), 2u);
    const std::vector<jet::Value> second{
        jet::Text{"abcdefg"}, jet::Text{"hijklmnop"},  std::uint8_t{2},
        std::int16_t{222},    std::int32_t{333333333}, 444.555,
        jet::DateTime{27293}, jet::Currency{35000},    true};
    EXPECT_EQ(rows[1], second);
    EXPECT_EQ(rows[0][8], jet::Value(false));
}

TEST(RealFilesTest, LongValuesInlineInOneRowAndInChains) {
    SKIP_WITHOUT_FIXTURES();
    const auto db = open("nwind.mdb");
    const auto rows = rows_of(*db, "Categories");
    ASSERT_EQ(rows.size(), 8u);
    // Memo of 7 bytes (inline) and of 43 bytes (a long-value row).
    EXPECT_EQ(rows[3][2], jet::Value(jet::Text{"Cheeses"}));
    EXPECT_EQ(rows[0][2], jet::Value(jet::Text{"Soft drinks, coffees, teas, beers, and ales"}));
    // OLE picture of 10746 bytes over several pages.
    const auto& picture = std::get<jet::Bytes>(rows[0][3]).data;
    ASSERT_EQ(picture.size(), 10746u);
    EXPECT_EQ(std::vector<std::uint8_t>(picture.begin(), picture.begin() + 4),
              (std::vector<std::uint8_t>{0x15, 0x1c, 0x2f, 0x00}));
    EXPECT_EQ(std::vector<std::uint8_t>(picture.end() - 4, picture.end()),
              (std::vector<std::uint8_t>{0xc7, 0xad, 0x05, 0xfe}));
}

TEST(RealFilesTest, IndexDefinitions) {
    SKIP_WITHOUT_FIXTURES();
    const auto db = open("testIndexCodesV1997.mdb");
    const jet::TableDefinition& table = db->table("Table12_asc_desc");
    bool found = false;
    for (const jet::LogicalIndex& logical : table.logical_indexes) {
        const jet::RealIndex& real = table.real_indexes.at(logical.real_index);
        if (logical.kind == jet::IndexKind::PrimaryKey) {
            EXPECT_TRUE(real.unique() && real.required());
            ASSERT_EQ(real.columns.size(), 1u);
            EXPECT_EQ(table.column_by_number(real.columns[0].column_number)->name, "name");
        }
        if (real.columns.size() == 2) {
            found = true;
            EXPECT_NE(real.columns[0].ascending, real.columns[1].ascending);
        }
        EXPECT_NE(real.root_page, 0u);
    }
    EXPECT_TRUE(found) << "no two-column index with mixed order";
}

}  // namespace
