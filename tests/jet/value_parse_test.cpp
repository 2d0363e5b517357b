#include "jet/value_parse.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "jet/database.h"
#include "jet/value_text.h"
#include "jet/write_error.h"
#include "tests/support/fixtures.h"

namespace {

using jet::ColumnType;
using jet::Value;
using Kind = jet::WriteRefused::Kind;

const jet::CodePage& western() {
    return jet::CodePage::get(1252);
}

jet::Column column(ColumnType type, std::uint16_t size = 0) {
    jet::Column c;
    c.name = "Field";
    c.type = type;
    c.size = size;
    return c;
}

Value parse(std::string_view text, ColumnType type, std::uint16_t size = 0) {
    return jet::value_from_text(text, column(type, size), western());
}

// The kind of refusal that parsing `text` raises; fails the test when none is.
Kind refusal(std::string_view text, ColumnType type, std::uint16_t size = 0) {
    try {
        parse(text, type, size);
    } catch (const jet::WriteRefused& e) {
        EXPECT_NE(std::string(e.what()).find("'Field'"), std::string::npos) << e.what();
        return e.kind();
    }
    ADD_FAILURE() << "'" << text << "' was accepted";
    return Kind::MissingColumn;
}

TEST(ValueParseTest, IntegersAcceptBlanksAndSignsAndRoundHalvesToEven) {
    EXPECT_EQ(parse("  42\t", ColumnType::Long), Value(std::int32_t{42}));
    EXPECT_EQ(parse("+7", ColumnType::Integer), Value(std::int16_t{7}));
    EXPECT_EQ(parse("-2147483648", ColumnType::Long), Value(std::int32_t{-2147483648}));
    EXPECT_EQ(parse("2.5", ColumnType::Integer), Value(std::int16_t{2}));
    EXPECT_EQ(parse("3.5", ColumnType::Integer), Value(std::int16_t{4}));
    EXPECT_EQ(parse("-2.5", ColumnType::Integer), Value(std::int16_t{-2}));
    EXPECT_EQ(parse("2.5000001", ColumnType::Integer), Value(std::int16_t{3}));
    EXPECT_EQ(parse("0.49999", ColumnType::Long), Value(std::int32_t{0}));
    EXPECT_EQ(parse(".5", ColumnType::Byte), Value(std::uint8_t{0}));
    EXPECT_EQ(parse("7.", ColumnType::Byte), Value(std::uint8_t{7}));
    EXPECT_EQ(parse("-0.4", ColumnType::Byte), Value(std::uint8_t{0}));
    EXPECT_EQ(parse("000255", ColumnType::Byte), Value(std::uint8_t{255}));
}

TEST(ValueParseTest, IntegersOutOfRangeOverflowAndOtherTextIsAMismatch) {
    EXPECT_EQ(refusal("256", ColumnType::Byte), Kind::Overflow);
    EXPECT_EQ(refusal("-1", ColumnType::Byte), Kind::Overflow);
    EXPECT_EQ(refusal("32767.5", ColumnType::Integer), Kind::Overflow);
    EXPECT_EQ(refusal("-32769", ColumnType::Integer), Kind::Overflow);
    EXPECT_EQ(refusal("2147483648", ColumnType::Long), Kind::Overflow);
    EXPECT_EQ(refusal("99999999999999999999999", ColumnType::Long), Kind::Overflow);
    for (const char* bad : {"", " ", "-", ".", "1e3", "12a", "1 2", "0x10", "1,000", "--1"}) {
        EXPECT_EQ(refusal(bad, ColumnType::Long), Kind::Conversion) << bad;
    }
}

TEST(ValueParseTest, CurrencyIsExactToFourDecimals) {
    const auto money = [](std::string_view text) {
        return std::get<jet::Currency>(parse(text, ColumnType::Currency)).ten_thousandths;
    };
    EXPECT_EQ(money("12.5"), 125000);
    EXPECT_EQ(money("-0.01"), -100);
    EXPECT_EQ(money("0.12345"), 1234);
    EXPECT_EQ(money("0.12355"), 1236);
    EXPECT_EQ(money("0.123451"), 1235);
    EXPECT_EQ(money("922337203685477.5807"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(money("-922337203685477.5808"), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(refusal("922337203685477.5808", ColumnType::Currency), Kind::Overflow);
    EXPECT_EQ(refusal("1e2", ColumnType::Currency), Kind::Conversion);
}

TEST(ValueParseTest, FloatingPointNumbersTakeExponentsAndRefuseWhatTheyCannotHold) {
    EXPECT_EQ(parse(" 1.5e-7 ", ColumnType::Double), Value(1.5e-7));
    EXPECT_EQ(parse("-2E+10", ColumnType::Double), Value(-2e10));
    EXPECT_EQ(parse("0.1", ColumnType::Single), Value(0.1f));
    EXPECT_EQ(parse("3.402823e+38", ColumnType::Single), Value(3.402823e38f));
    EXPECT_EQ(parse("1e-400", ColumnType::Double), Value(0.0));
    EXPECT_EQ(parse("5e-324", ColumnType::Double),
              Value(std::numeric_limits<double>::denorm_min()));
    EXPECT_EQ(refusal("3.5e38", ColumnType::Single), Kind::Overflow);
    EXPECT_EQ(refusal("1e309", ColumnType::Double), Kind::Overflow);
    for (const char* bad : {"NaN", "Infinity", "inf", "1e", "e5", "1.5.2"}) {
        EXPECT_EQ(refusal(bad, ColumnType::Double), Kind::Conversion) << bad;
    }
}

TEST(ValueParseTest, DatesCountDaysFrom1899_12_30WithNegativeDaysCountingTimeForward) {
    const auto days = [](std::string_view text) {
        return std::get<jet::DateTime>(parse(text, ColumnType::DateTime)).days;
    };
    EXPECT_EQ(days("1899-12-30"), 0);
    EXPECT_EQ(days("1900-01-01T12:00"), 2.5);
    EXPECT_EQ(days("1899-12-30 06:00:00"), 0.25);
    EXPECT_EQ(days("1899-12-29T06:00:00"), -1.25);
    EXPECT_EQ(days("1899-12-28 18:00"), -2.75);
    EXPECT_EQ(days("2000-02-29"), 36585);
    EXPECT_EQ(days("0100-01-01"), -657434);
    EXPECT_EQ(days("9999-12-31T23:59:59"), 2958465 + 86399.0 / 86400);
    for (const char* bad : {"2001-02-29", "2000-13-01", "2000-1-1", "2000-01-01T24:00",
                            "2000-01-01T10", "2000-01-01T10:00:60", "01/02/2000", ""}) {
        EXPECT_EQ(refusal(bad, ColumnType::DateTime), Kind::Conversion) << bad;
    }
    EXPECT_EQ(refusal("0099-12-31", ColumnType::DateTime), Kind::Overflow);
}

TEST(ValueParseTest, YesNoFromWordsAndNumbers) {
    for (const char* yes : {"True", "yes", "ON", " -1 ", "2", "0.5"}) {
        EXPECT_EQ(parse(yes, ColumnType::Boolean), Value(true)) << yes;
    }
    for (const char* no : {"false", "No", "off", "0", "-0.0"}) {
        EXPECT_EQ(parse(no, ColumnType::Boolean), Value(false)) << no;
    }
    EXPECT_EQ(refusal("maybe", ColumnType::Boolean), Kind::Conversion);
}

TEST(ValueParseTest, ReplicationIdsAreStoredWithTheirFirstGroupsLittleEndian) {
    const auto guid =
        std::get<jet::Guid>(parse("{00112233-4455-6677-8899-aabbccddeeff}", ColumnType::Guid));
    const std::array<std::uint8_t, 16> stored{0x33, 0x22, 0x11, 0x00, 0x55, 0x44, 0x77, 0x66,
                                              0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
    EXPECT_EQ(guid.stored, stored);
    for (const char* bad :
         {"00112233-4455-6677-8899-AABBCCDDEEFF", "{00112233-4455-6677-8899-AABBCCDDEEF}",
          "{00112233-4455-6677+8899-AABBCCDDEEFF}", "{0011223G-4455-6677-8899-AABBCCDDEEFF}"}) {
        EXPECT_EQ(refusal(bad, ColumnType::Guid), Kind::Conversion) << bad;
    }
}

TEST(ValueParseTest, BinaryAndOleAreHexPairs) {
    EXPECT_EQ(parse("00fF1a", ColumnType::Ole), Value(jet::Bytes{{0x00, 0xFF, 0x1A}}));
    EXPECT_EQ(parse("", ColumnType::Binary, 4), Value(jet::Bytes{}));
    EXPECT_EQ(refusal("abc", ColumnType::Ole), Kind::Conversion);
    EXPECT_EQ(refusal("zz", ColumnType::Ole), Kind::Conversion);
    EXPECT_EQ(refusal("0102030405", ColumnType::Binary, 4), Kind::FieldTooSmall);
}

TEST(ValueParseTest, TextIsKeptAsItIsInTheCodePageAndMustFitItsColumn) {
    EXPECT_EQ(parse(" Caf\xC3\xA9 ", ColumnType::Text, 6), Value(jet::Text{" Caf\xE9 "}));
    EXPECT_EQ(parse("", ColumnType::Text, 6), Value(jet::Text{}));
    EXPECT_EQ(parse(std::string(70000, 'x'), ColumnType::Memo),
              Value(jet::Text{std::string(70000, 'x')}));
    try {
        parse("Caf\xC3\xA9s", ColumnType::Text, 4);
        FAIL() << "a text longer than its column was accepted";
    } catch (const jet::WriteRefused& e) {
        EXPECT_EQ(e.kind(), Kind::FieldTooSmall);
        EXPECT_NE(std::string(e.what()).find("field too small"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("'Field'"), std::string::npos);
    }
    EXPECT_THROW(parse("\xE0\xB8\x81", ColumnType::Text, 10), jet::CodePageError);
    const jet::Column thai = column(ColumnType::Text, 10);
    EXPECT_EQ(jet::value_from_text("\xE0\xB8\x81", thai, jet::CodePage::get(874)),
              Value(jet::Text{"\xA1"}));
}

TEST(ValueParseTest, RefusalsNameTheColumnTypeAndText) {
    try {
        parse("12x", ColumnType::Integer);
        FAIL();
    } catch (const jet::WriteRefused& e) {
        EXPECT_STREQ(e.what(), "type mismatch: '12x' cannot be stored in column 'Field' (Integer)");
    }
}

// Every value of every real file reads back from the text `dump` prints for it.
TEST(ValueParseTest, EveryValueOfTheRealFilesReadsBackFromItsDumpText) {
    SKIP_WITHOUT_FIXTURES();
    std::size_t checked = 0;
    for (const std::filesystem::path& file : jet_test::readable_fixtures()) {
        const std::unique_ptr<jet::Database> db = jet::Database::open(file, {.code_page = 1252});
        for (const auto& name : db->table_names()) {
            const jet::TableDefinition& table = db->table(name);
            db->for_each_row(table, [&](jet::RowPointer, const std::vector<Value>& row) {
                for (std::size_t i = 0; i < row.size(); ++i) {
                    const jet::Column& c = table.columns[i];
                    if (jet::is_null(row[i]))
                        continue;
                    const auto* text = std::get_if<jet::Text>(&row[i]);
                    const std::string printed =
                        text ? db->code_page().to_utf8(text->bytes)
                             : jet::csv_value(row[i], c.type, db->code_page());
                    const Value back = jet::value_from_text(printed, c, db->code_page());
                    if (c.type == ColumnType::Single) {
                        // 7 printed digits identify the float only up to rounding.
                        EXPECT_EQ(jet::csv_value(back, c.type, db->code_page()), printed);
                    } else {
                        EXPECT_EQ(back, row[i])
                            << file.filename() << " " << name << "." << c.name << " = " << printed;
                    }
                    ++checked;
                }
            });
        }
    }
    EXPECT_GT(checked, 10000u);
}

}  // namespace
