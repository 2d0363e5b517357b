// Rows and long values built by hand by a writer's rules: the cases no real
// file covers (rows past 256 bytes with jump tables, deleted rows, damage).
#include <gtest/gtest.h>

#include "jet/error.h"
#include "jet/long_value.h"
#include "jet/pager.h"
#include "jet/row.h"
#include "jet/table_scan.h"
#include "tests/jet/page_builder.h"
#include "tests/support/fixtures.h"

namespace {

using jet_test::data_page;
using jet_test::data_pointer;
using jet_test::encode_row;
using jet_test::file_of;
using jet_test::PageRow;
using jet_test::ScratchFile;

constexpr std::uint32_t kTablePage = 9;
constexpr unsigned kTextColumns = 10;

// Long id (0, fixed), Boolean flag (1), then ten Text columns (2..11).
jet::TableDefinition test_table() {
    jet::TableDefinition t;
    t.name = "T";
    t.page = kTablePage;
    t.max_columns = 2 + kTextColumns;
    t.max_variable_columns = kTextColumns;
    t.owned_pages_map = 1 << 8;
    t.columns.push_back({"id", jet::ColumnType::Long, 0, 0, 0, 4, 0x03});
    t.columns.push_back({"flag", jet::ColumnType::Boolean, 1, 0, 0, 1, 0x03});
    for (unsigned i = 0; i < kTextColumns; ++i) {
        t.columns.push_back({"t" + std::to_string(i), jet::ColumnType::Text,
                             static_cast<std::uint16_t>(2 + i), static_cast<std::uint16_t>(i), 0,
                             255, 0x02});
    }
    return t;
}

std::vector<std::uint8_t> row_of(std::int32_t id, bool flag,
                                 const std::vector<std::string>& texts) {
    std::vector<std::uint8_t> fixed(4);
    jet::put_u32le(fixed.data(), static_cast<std::uint32_t>(id));
    std::vector<std::uint8_t> mask{static_cast<std::uint8_t>(0x01 | (flag ? 0x02 : 0)), 0};
    for (unsigned i = 0; i < texts.size(); ++i) {
        if (!texts[i].empty()) {
            mask[(2 + i) / 8] |= static_cast<std::uint8_t>(1 << ((2 + i) % 8));
        }
    }
    return encode_row(12, fixed, texts, mask);
}

std::vector<jet::Value> decode(const std::vector<std::uint8_t>& row) {
    ScratchFile file(file_of({}));
    jet::Pager pager(file.path(), jet::Pager::Mode::ReadOnly, 4);
    return jet::decode_row(pager, test_table(), row, {2, 0});
}

TEST(RowTest, VariableOffsetsPastEveryByteBoundary) {
    // Total variable data from 0 to ~1900 bytes, spread unevenly over the
    // columns, so that offsets cross 256-byte boundaries at every slot and the
    // jump table has real entries and the filler entry.
    for (std::size_t total = 0; total < 1900; total += 23) {
        std::vector<std::string> texts(kTextColumns);
        for (unsigned i = 0; i < kTextColumns; ++i) {
            texts[i] = std::string(total * (i + 1) / 55, static_cast<char>('a' + i));
        }
        const auto values = decode(row_of(7, true, texts));
        ASSERT_EQ(values[0], jet::Value(std::int32_t{7})) << total;
        ASSERT_EQ(values[1], jet::Value(true)) << total;
        for (unsigned i = 0; i < kTextColumns; ++i) {
            const jet::Value expected =
                texts[i].empty() ? jet::Value(jet::Null{}) : jet::Value(jet::Text{texts[i]});
            ASSERT_EQ(values[2 + i], expected) << "total " << total << " column " << i;
        }
    }
}

TEST(RowTest, NullMaskGivesNullsAndBooleans) {
    const auto values = decode(row_of(-5, false, {"x", "", "", "", "", "", "", "", "", "yz"}));
    EXPECT_EQ(values[0], jet::Value(std::int32_t{-5}));
    EXPECT_EQ(values[1], jet::Value(false));
    EXPECT_EQ(values[2], jet::Value(jet::Text{"x"}));
    EXPECT_TRUE(jet::is_null(values[3]));
    EXPECT_EQ(values[11], jet::Value(jet::Text{"yz"}));
}

TEST(RowTest, RowWrittenBeforeColumnsWereAddedReadsThemAsNull) {
    std::vector<std::uint8_t> fixed(4, 0);
    const auto row = encode_row(3, fixed, {"old"}, {0x05});  // id and t0 set, flag clear
    const auto values = decode(row);
    EXPECT_EQ(values[2], jet::Value(jet::Text{"old"}));
    for (unsigned i = 3; i < values.size(); ++i) {
        EXPECT_TRUE(jet::is_null(values[i])) << i;
    }
}

TEST(RowTest, DamagedRowsGiveErrorsNamingPageAndRow) {
    auto row = row_of(1, true, {"abc", "def"});
    // Slot 0's stored start moved past the end of the variable data.
    const std::size_t slot0 = row.size() - 2 - 1 - 1;
    row[slot0] = 0xF0;
    try {
        decode(row);
        FAIL() << "decoded a damaged row";
    } catch (const jet::FormatError& e) {
        EXPECT_NE(std::string(e.what()).find("page 2: row 0 of 'T'"), std::string::npos)
            << e.what();
    }
    EXPECT_THROW(decode({12}), jet::FormatError);
    EXPECT_THROW(decode({12, 1, 2, 3}), jet::FormatError);
    auto huge_count = row_of(1, true, {"a"});
    huge_count[huge_count.size() - 3] = 200;
    EXPECT_THROW(decode(huge_count), jet::FormatError);
}

TEST(TableScanTest, SkipsDeletedRowsAndFollowsMovedRows) {
    const auto map_page = data_page(0, {{jet_test::inline_map({2, 3})}});
    const auto rows = data_page(kTablePage, {{row_of(1, true, {"one"})},
                                             {row_of(2, true, {"deleted"}), 0xC000},
                                             {data_pointer(3, 0), 0x4000},
                                             {row_of(4, false, {"four"})}});
    const auto moved = data_page(kTablePage, {{row_of(3, true, {"three, moved"}), 0x8000}});
    ScratchFile file(file_of({map_page, rows, moved}));
    jet::Pager pager(file.path(), jet::Pager::Mode::ReadOnly, 4);
    const auto table = test_table();

    std::vector<std::pair<jet::RowPointer, jet::Value>> seen;
    jet::scan_table(pager, table, [&](jet::RowPointer at, const std::vector<jet::Value>& v) {
        seen.emplace_back(at, v[0]);
    });
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], std::make_pair(jet::RowPointer{2, 0}, jet::Value(std::int32_t{1})));
    EXPECT_EQ(seen[1], std::make_pair(jet::RowPointer{2, 2}, jet::Value(std::int32_t{3})));
    EXPECT_EQ(seen[2], std::make_pair(jet::RowPointer{2, 3}, jet::Value(std::int32_t{4})));

    EXPECT_EQ(jet::fetch_row(pager, table, {2, 2})[2], jet::Value(jet::Text{"three, moved"}));
    EXPECT_THROW(jet::fetch_row(pager, table, {2, 1}), jet::FormatError);
    EXPECT_THROW(jet::fetch_row(pager, table, {2, 9}), jet::FormatError);
}

TEST(TableScanTest, UsageMapInADeletedSlotIsAnErrorNotARead) {
    // Slot 0 holds the map but is deleted, and its offset points far past the page.
    auto map_page = data_page(0, {{jet_test::inline_map({2}), 0xC000}});
    jet::put_u16le(map_page.data() + 10, 0xDFFF);
    ScratchFile file(file_of({map_page, data_page(kTablePage, {})}));
    jet::Pager pager(file.path(), jet::Pager::Mode::ReadOnly, 4);
    EXPECT_THROW(jet::scan_table(pager, test_table(),
                                 [](jet::RowPointer, const std::vector<jet::Value>&) {}),
                 jet::FormatError);
}

// Long values: a 12-byte header in the row, the data inline, in one row or in a chain.
std::vector<std::uint8_t> long_value_header(std::uint32_t word, std::uint32_t pointer) {
    std::vector<std::uint8_t> h(12, 0);
    jet::put_u32le(h.data(), word);
    jet::put_u32le(h.data() + 4, pointer);
    return h;
}

std::vector<std::uint8_t> bytes_of(const std::string& s) {
    return {s.begin(), s.end()};
}

std::vector<std::uint8_t> chain_row(std::uint32_t next, const std::string& piece) {
    auto row = data_pointer(next >> 8, next & 0xFF);
    row.insert(row.end(), piece.begin(), piece.end());
    return row;
}

class LongValueTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string big(1500, 'b');
        lval1_ = data_page(0x4C41564C, {{bytes_of("one row holds it all")},
                                        {chain_row(2 << 8 | 0, big)},
                                        {chain_row(1 << 8 | 2, "loop")}});
        lval2_ = data_page(0x4C41564C, {{chain_row(0, std::string(700, 'c'))}});
        file_ = std::make_unique<ScratchFile>(file_of({lval1_, lval2_}));
        pager_ = std::make_unique<jet::Pager>(file_->path(), jet::Pager::Mode::ReadOnly, 4);
    }
    std::string read(std::vector<std::uint8_t> field) {
        const auto v = jet::read_long_value(*pager_, field, "'T'.'memo'");
        return {v.begin(), v.end()};
    }

    std::vector<std::uint8_t> lval1_, lval2_;
    std::unique_ptr<ScratchFile> file_;
    std::unique_ptr<jet::Pager> pager_;
};

TEST_F(LongValueTest, ReadsAllThreeForms) {
    auto inline_field = long_value_header(0x80000000u | 5, 0);
    inline_field.insert(inline_field.end(), {'h', 'e', 'l', 'l', 'o'});
    EXPECT_EQ(read(inline_field), "hello");
    EXPECT_EQ(read(long_value_header(0x40000000u | 7, 1 << 8 | 0)), "one row");
    EXPECT_EQ(read(long_value_header(2200, 1 << 8 | 1)),
              std::string(1500, 'b') + std::string(700, 'c'));
    EXPECT_EQ(read(long_value_header(0, 0)), "");
}

TEST_F(LongValueTest, DamagedLongValuesGiveNamedErrors) {
    // Inline length past the field, one row shorter than the length, a chain
    // that loops, a chain that ends early, a length larger than the file.
    EXPECT_THROW(read(long_value_header(0x80000000u | 5, 0)), jet::FormatError);
    EXPECT_THROW(read(long_value_header(0x40000000u | 900, 1 << 8 | 0)), jet::FormatError);
    try {
        read(long_value_header(5000, 1 << 8 | 2));
        FAIL() << "followed a looping chain";
    } catch (const jet::FormatError& e) {
        EXPECT_NE(std::string(e.what()).find("returns to row"), std::string::npos) << e.what();
    }
    EXPECT_THROW(read(long_value_header(3000, 2 << 8 | 0)), jet::FormatError);
    EXPECT_THROW(read(long_value_header(0x3FFFFFFF, 1 << 8 | 1)), jet::FormatError);
    EXPECT_THROW(read(long_value_header(10, 7 << 8 | 0)), jet::FormatError);
    EXPECT_THROW(read({1, 2, 3}), jet::FormatError);
}

}  // namespace
