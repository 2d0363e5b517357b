// Row encoding read back by the row decoder: fixed and variable areas, null
// masks, Booleans, and jump tables for rows past 256 bytes.
#include <gtest/gtest.h>

#include <random>

#include "jet/pager.h"
#include "jet/row.h"
#include "jet/row_encoder.h"
#include "jet/write_error.h"
#include "tests/support/fixtures.h"

namespace {

jet::Column column(const std::string& name, jet::ColumnType type, std::uint16_t number,
                   std::uint16_t size, bool fixed, std::uint16_t place) {
    jet::Column c;
    c.name = name;
    c.type = type;
    c.number = number;
    c.size = size;
    c.flags = static_cast<std::uint8_t>(0x02 | (fixed ? jet::Column::kFixed : 0));
    (fixed ? c.fixed_offset : c.variable_index) = place;
    return c;
}

// Texts in slots 0..n-1, a Long, a Boolean; column 1 deleted (a gap in the
// numbers and one unused variable slot).
jet::TableDefinition table_with_texts(std::uint16_t texts) {
    jet::TableDefinition t;
    t.name = "T";
    t.columns.push_back(column("L", jet::ColumnType::Long, 0, 4, true, 0));
    t.columns.push_back(column("B", jet::ColumnType::Boolean, 2, 1, true, 0));
    for (std::uint16_t i = 0; i < texts; ++i) {
        t.columns.push_back(column("T" + std::to_string(i), jet::ColumnType::Text,
                                   static_cast<std::uint16_t>(3 + i), 255, false,
                                   static_cast<std::uint16_t>(i + 1)));
    }
    t.max_columns = static_cast<std::uint16_t>(3 + texts);
    t.max_variable_columns = static_cast<std::uint16_t>(texts + 1);
    return t;
}

class RowEncodingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SKIP_WITHOUT_FIXTURES();
        pager_ = std::make_unique<jet::Pager>(jet_test::fixture("delTestV1997.mdb"),
                                              jet::Pager::Mode::ReadOnly, 4);
    }

    std::vector<jet::Value> round_trip(const jet::TableDefinition& t,
                                       const std::vector<jet::Value>& values) {
        const std::vector<std::optional<std::vector<std::uint8_t>>> no_long_values(values.size());
        const auto bytes = jet::encode_row(t, values, no_long_values);
        return jet::decode_row(*pager_, t, bytes, {1, 0});
    }

    std::unique_ptr<jet::Pager> pager_;
};

TEST_F(RowEncodingTest, RowsOfEveryLengthUpToTheLimitReadBackWithTheirJumpTables) {
    const jet::TableDefinition t = table_with_texts(8);
    std::mt19937 random(7);
    for (int n = 0; n < 400; ++n) {
        std::vector<jet::Value> values{std::int32_t{n}, n % 2 == 0};
        for (int i = 0; i < 8; ++i) {
            if (random() % 5 == 0) {
                values.push_back(jet::Null{});
            } else {
                values.push_back(
                    jet::Text{std::string(random() % 230, static_cast<char>('a' + i))});
            }
        }
        EXPECT_EQ(round_trip(t, values), values) << "row " << n;
    }
}

TEST_F(RowEncodingTest, JumpTablesMatchTheLayoutAccessWrites) {
    // Variable data ending at offset 256 exactly: one jump naming the eod slot.
    const jet::TableDefinition t = table_with_texts(1);
    std::vector<jet::Value> values{std::int32_t{0}, false, jet::Text{std::string(250, 'x')}};
    const std::vector<std::optional<std::vector<std::uint8_t>>> none(values.size());
    const auto bytes = jet::encode_row(t, values, none);
    // 1 count + 4 fixed + 250 text = eod at 255; eod, 2 offsets, 1 jump, count, 1 mask byte.
    ASSERT_EQ(bytes.size(), 261u);
    EXPECT_EQ(bytes[255], 255);   // eod
    EXPECT_EQ(bytes[258], 0xFF);  // filler: the offsets cross no boundary
    values[2] = jet::Text{std::string(251, 'x')};
    const auto longer = jet::encode_row(t, values, none);
    EXPECT_EQ(longer[256], 0);  // eod at 256, stored as its low byte
    EXPECT_EQ(longer[259], 2);  // boundary 256 first reached by slot 2, the eod
    EXPECT_EQ(round_trip(t, values), values);
}

TEST_F(RowEncodingTest, WrongTypesAndOverlongRowsAreRefused) {
    const jet::TableDefinition t = table_with_texts(9);
    std::vector<jet::Value> values{jet::Text{"not a number"}, false};
    values.resize(11, jet::Null{});
    const std::vector<std::optional<std::vector<std::uint8_t>>> none(values.size());
    EXPECT_THROW(jet::encode_row(t, values, none), jet::WriteRefused);
    values[0] = std::int32_t{1};
    for (int i = 2; i < 11; ++i) {
        values[static_cast<std::size_t>(i)] = jet::Text{std::string(255, 'y')};
    }
    EXPECT_THROW(jet::encode_row(t, values, none), jet::Error);
}

}  // namespace
