// Index key bytes of single values and whole keys, ascending and descending.
#include "jet/index_key.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace jet {
namespace {

using KeyBytes = std::vector<std::uint8_t>;

KeyBytes key_of(ColumnType type, const Value& value, bool ascending = true) {
    IndexKeyColumn column{type, ascending, kGeneralSortOrder, "c"};
    KeyBytes key;
    append_column_key(key, column, value);
    return key;
}

KeyBytes inverted(KeyBytes bytes) {
    for (auto& b : bytes) {
        b = static_cast<std::uint8_t>(~b);
    }
    return bytes;
}

TEST(IndexKeyTest, NullIsOneByte) {
    EXPECT_EQ(key_of(ColumnType::Long, Null{}), KeyBytes{0x00});
    EXPECT_EQ(key_of(ColumnType::Text, Null{}, false), KeyBytes{0xFF});
}

TEST(IndexKeyTest, IntegersAreBigEndianWithTheSignFlipped) {
    EXPECT_EQ(key_of(ColumnType::Long, std::int32_t{1}), (KeyBytes{0x7F, 0x80, 0, 0, 1}));
    EXPECT_EQ(key_of(ColumnType::Long, std::int32_t{-1}), (KeyBytes{0x7F, 0x7F, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(key_of(ColumnType::Integer, std::int16_t{0x1234}), (KeyBytes{0x7F, 0x92, 0x34}));
    EXPECT_EQ(key_of(ColumnType::Byte, std::uint8_t{0xAB}), (KeyBytes{0x7F, 0xAB}));
    EXPECT_EQ(key_of(ColumnType::Currency, Currency{125000}),
              (KeyBytes{0x7F, 0x80, 0, 0, 0, 0, 0x01, 0xE8, 0x48}));
    EXPECT_EQ(key_of(ColumnType::Long, std::int32_t{1}, false),
              (KeyBytes{0x80, 0x7F, 0xFF, 0xFF, 0xFE}));
}

TEST(IndexKeyTest, FloatingKeysOrderLikeTheirValues) {
    const std::vector<double> ascending_values = {
        -std::numeric_limits<double>::infinity(), -2.5, -1e-300, 0.0, 1e-300, 1.0, 3.75,
        std::numeric_limits<double>::max()};
    for (std::size_t i = 1; i < ascending_values.size(); ++i) {
        EXPECT_LT(key_of(ColumnType::Double, ascending_values[i - 1]),
                  key_of(ColumnType::Double, ascending_values[i]));
        EXPECT_GT(key_of(ColumnType::Double, ascending_values[i - 1], false),
                  key_of(ColumnType::Double, ascending_values[i], false));
        EXPECT_LT(key_of(ColumnType::DateTime, DateTime{ascending_values[i - 1]}),
                  key_of(ColumnType::DateTime, DateTime{ascending_values[i]}));
    }
    EXPECT_EQ(key_of(ColumnType::Double, 1.0), (KeyBytes{0x7F, 0xBF, 0xF0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(key_of(ColumnType::Single, -1.0f), (KeyBytes{0x7F, 0x40, 0x7F, 0xFF, 0xFF}));
    EXPECT_EQ(key_of(ColumnType::Single, -1.0f, false), (KeyBytes{0x80, 0xBF, 0x80, 0, 0}));
}

TEST(IndexKeyTest, BooleanTrueSortsFirst) {
    EXPECT_EQ(key_of(ColumnType::Boolean, true), (KeyBytes{0x7F, 0x00}));
    EXPECT_EQ(key_of(ColumnType::Boolean, false), (KeyBytes{0x7F, 0xFF}));
    EXPECT_EQ(key_of(ColumnType::Boolean, true, false), (KeyBytes{0x80, 0xFF}));
}

TEST(IndexKeyTest, BinaryIsCutIntoSegments) {
    EXPECT_EQ(key_of(ColumnType::Binary, Bytes{{1, 2, 3}}),
              (KeyBytes{0x7F, 1, 2, 3, 0, 0, 0, 0, 0, 3}));
    EXPECT_EQ(key_of(ColumnType::Binary, Bytes{{}}), KeyBytes{0x7F});
    EXPECT_EQ(key_of(ColumnType::Binary, Bytes{{1, 2, 3, 4, 5, 6, 7, 8}}),
              (KeyBytes{0x7F, 1, 2, 3, 4, 5, 6, 7, 8, 8}));
    EXPECT_EQ(key_of(ColumnType::Binary, Bytes{{1, 2, 3, 4, 5, 6, 7, 8, 9}}),
              (KeyBytes{0x7F, 1, 2, 3, 4, 5, 6, 7, 8, 9, 9, 0, 0, 0, 0, 0, 0, 0, 1}));
    // Descending inverts the data but not the 0x09 marker between segments.
    KeyBytes descending = key_of(ColumnType::Binary, Bytes{{1, 2, 3, 4, 5, 6, 7, 8, 9}}, false);
    KeyBytes expected = inverted({0x7F, 1, 2, 3, 4, 5, 6, 7, 8, 0xF6, 9, 0, 0, 0, 0, 0, 0, 0, 1});
    EXPECT_EQ(descending, expected);
}

TEST(IndexKeyTest, GuidIsInTextOrderThenSegments) {
    Guid guid;
    for (int i = 0; i < 16; ++i) {
        guid.stored[i] = static_cast<std::uint8_t>(i + 1);
    }
    EXPECT_EQ(key_of(ColumnType::Guid, guid),
              (KeyBytes{0x7F, 4, 3, 2, 1, 6, 5, 8, 7, 9, 9, 10, 11, 12, 13, 14, 15, 16, 8}));
}

TEST(IndexKeyTest, TextUsesTheSortOrderAndInvertsWhenDescending) {
    EXPECT_EQ(key_of(ColumnType::Text, Text{"a"}), (KeyBytes{0x7F, 0x60, 0x00}));
    EXPECT_EQ(key_of(ColumnType::Text, Text{"a"}, false), (KeyBytes{0x80, 0x9F, 0xFF}));
    IndexKeyColumn thai{ColumnType::Text, true, 1054, "Title"};
    KeyBytes key;
    EXPECT_THROW(append_column_key(key, thai, Text{"a"}), IndexKeyError);
}

TEST(IndexKeyTest, WholeKeyConcatenatesColumnsInOrder) {
    std::vector<IndexKeyColumn> columns = {{ColumnType::Long, true, kGeneralSortOrder, "Id"},
                                           {ColumnType::Text, false, kGeneralSortOrder, "Name"}};
    std::vector<Value> values = {std::int32_t{1}, Null{}};
    EXPECT_EQ(encode_index_key(columns, values), (KeyBytes{0x7F, 0x80, 0, 0, 1, 0xFF}));
    EXPECT_THROW(encode_index_key(columns, std::span<const Value>(values).first(1)), IndexKeyError);
}

TEST(IndexKeyTest, RefusesMismatchedAndUnindexableValues) {
    EXPECT_THROW(key_of(ColumnType::Long, std::int16_t{1}), IndexKeyError);
    EXPECT_THROW(key_of(ColumnType::Memo, Text{"x"}), IndexKeyError);
}

TEST(IndexKeyTest, ComparesLikeMemcmpWithShorterPrefixFirst) {
    EXPECT_LT(compare_keys(KeyBytes{1, 2}, KeyBytes{1, 2, 0}), 0);
    EXPECT_GT(compare_keys(KeyBytes{2}, KeyBytes{1, 9}), 0);
    EXPECT_EQ(compare_keys(KeyBytes{}, KeyBytes{}), 0);
}

}  // namespace
}  // namespace jet
