#include "jet/value_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>

namespace {

using jet::ColumnType;
using jet::Value;

const jet::CodePage& western() {
    return jet::CodePage::get(1252);
}

std::string json(const Value& value, ColumnType type) {
    return jet::json_value(value, type, western());
}
std::string csv(const Value& value, ColumnType type) {
    return jet::csv_value(value, type, western());
}
std::string date(double days) {
    return json(jet::DateTime{days}, ColumnType::DateTime);
}

TEST(ValueTextTest, NullIsJsonNullAndAnEmptyCsvField) {
    for (const ColumnType type : {ColumnType::Text, ColumnType::Long, ColumnType::DateTime,
                                  ColumnType::Boolean, ColumnType::Ole}) {
        EXPECT_EQ(json(jet::Null{}, type), "null");
        EXPECT_EQ(csv(jet::Null{}, type), "");
    }
}

TEST(ValueTextTest, IntegersAndBooleans) {
    EXPECT_EQ(json(std::uint8_t{255}, ColumnType::Byte), "255");
    EXPECT_EQ(json(std::int16_t{-32768}, ColumnType::Integer), "-32768");
    EXPECT_EQ(json(std::int32_t{2147483647}, ColumnType::Long), "2147483647");
    EXPECT_EQ(json(true, ColumnType::Boolean), "true");
    EXPECT_EQ(csv(false, ColumnType::Boolean), "false");
}

TEST(ValueTextTest, DoublesUseTheShortestRoundTripInJavaScriptLayout) {
    const auto d = [](double x) { return json(x, ColumnType::Double); };
    EXPECT_EQ(d(3), "3");
    EXPECT_EQ(d(-0.0), "0");
    EXPECT_EQ(d(0.1), "0.1");
    EXPECT_EQ(d(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(d(-1234.5), "-1234.5");
    EXPECT_EQ(d(1e20), "100000000000000000000");
    EXPECT_EQ(d(1e21), "1e+21");
    EXPECT_EQ(d(1.5e300), "1.5e+300");
    EXPECT_EQ(d(0.000001), "0.000001");
    EXPECT_EQ(d(1.5e-7), "1.5e-7");
    EXPECT_EQ(d(std::numeric_limits<double>::denorm_min()), "5e-324");
    EXPECT_EQ(d(std::nan("")), "null");
    EXPECT_EQ(csv(-std::numeric_limits<double>::infinity(), ColumnType::Double), "-Infinity");
    EXPECT_EQ(csv(0.25, ColumnType::Double), "0.25");
}

TEST(ValueTextTest, SinglesAreRoundedToSevenSignificantDigits) {
    const auto s = [](float x) { return json(x, ColumnType::Single); };
    EXPECT_EQ(s(1.1f), "1.1");
    EXPECT_EQ(s(3.0f), "3");
    EXPECT_EQ(s(-0.1f), "-0.1");
    EXPECT_EQ(s(3.14159265f), "3.141593");
    EXPECT_EQ(s(16777216.0f), "16777220");
    EXPECT_EQ(s(1234567.5f), "1234568");
    EXPECT_EQ(s(1234568.5f), "1234569");
    EXPECT_EQ(s(-1234568.5f), "-1234569");
    EXPECT_EQ(s(3.4028235e38f), "3.402823e+38");
    EXPECT_EQ(s(1e-7f), "1e-7");
    EXPECT_EQ(s(std::numeric_limits<float>::denorm_min()), "1.401298e-45");
    EXPECT_EQ(s(std::numeric_limits<float>::infinity()), "null");
}

TEST(ValueTextTest, CurrencyHasExactlyFourDecimals) {
    const auto c = [](std::int64_t n) { return json(jet::Currency{n}, ColumnType::Currency); };
    EXPECT_EQ(c(125000), "\"12.5000\"");
    EXPECT_EQ(c(-100), "\"-0.0100\"");
    EXPECT_EQ(c(0), "\"0.0000\"");
    EXPECT_EQ(c(std::numeric_limits<std::int64_t>::min()), "\"-922337203685477.5808\"");
    EXPECT_EQ(c(std::numeric_limits<std::int64_t>::max()), "\"922337203685477.5807\"");
    EXPECT_EQ(csv(jet::Currency{10000}, ColumnType::Currency), "1.0000");
}

TEST(ValueTextTest, DatesCountDaysFrom18991230WithTheFractionForwardFromMidnight) {
    EXPECT_EQ(date(0), "\"1899-12-30T00:00:00\"");
    EXPECT_EQ(date(1.5), "\"1899-12-31T12:00:00\"");
    EXPECT_EQ(date(36526.75), "\"2000-01-01T18:00:00\"");
    EXPECT_EQ(date(2958465.999988426), "\"9999-12-31T23:59:59\"");
    EXPECT_EQ(date(-657434), "\"0100-01-01T00:00:00\"");
    // Before day 0 the integer part is the day and the fraction still counts forward.
    EXPECT_EQ(date(-1.25), "\"1899-12-29T06:00:00\"");
    EXPECT_EQ(date(-0.25), "\"1899-12-30T06:00:00\"");
    EXPECT_EQ(date(-2), "\"1899-12-28T00:00:00\"");
    EXPECT_EQ(date(-36522.5), "\"1800-01-01T12:00:00\"");
    // Rounding to the nearest second, carrying into the next day.
    EXPECT_EQ(date(1 + 0.4 / 86400), "\"1899-12-31T00:00:00\"");
    EXPECT_EQ(date(1 + 59.6 / 86400), "\"1899-12-31T00:01:00\"");
    EXPECT_EQ(date(1.9999999), "\"1900-01-01T00:00:00\"");
    EXPECT_EQ(date(-1.9999999), "\"1899-12-30T00:00:00\"");
    EXPECT_EQ(csv(jet::DateTime{60.5}, ColumnType::DateTime), "1900-02-28T12:00:00");
    EXPECT_EQ(date(61), "\"1900-03-01T00:00:00\"");  // 1900 is no leap year
}

TEST(ValueTextTest, DatesOutsideFourDigitYearsAreRefused) {
    EXPECT_THROW(date(1e300), std::out_of_range);
    EXPECT_THROW(date(std::nan("")), std::out_of_range);
    EXPECT_THROW(date(3'000'000), std::out_of_range);
    EXPECT_THROW(date(-700'000), std::out_of_range);
}

TEST(ValueTextTest, BytesAreLowerCaseHexAndGuidsBracedUpperCase) {
    EXPECT_EQ(json(jet::Bytes{{0x00, 0xAB, 0x7F}}, ColumnType::Binary), "\"00ab7f\"");
    EXPECT_EQ(json(jet::Bytes{}, ColumnType::Ole), "\"\"");
    const jet::Guid guid{{0x33, 0x22, 0x11, 0x00, 0x55, 0x44, 0x77, 0x66, 0x88, 0x99, 0xAA, 0xBB,
                          0xCC, 0xDD, 0xEE, 0xFF}};
    EXPECT_EQ(json(guid, ColumnType::Guid), "\"{00112233-4455-6677-8899-AABBCCDDEEFF}\"");
    EXPECT_EQ(csv(guid, ColumnType::Guid), "{00112233-4455-6677-8899-AABBCCDDEEFF}");
}

TEST(ValueTextTest, JsonTextIsConvertedAndEscaped) {
    const auto t = [](const std::string& bytes) {
        return json(jet::Text{bytes}, ColumnType::Memo);
    };
    EXPECT_EQ(t("M\xE9xico"), "\"México\"");
    EXPECT_EQ(t("say \"hi\"\\"), R"("say \"hi\"\\")");
    EXPECT_EQ(t("a\r\nb\tc\b\f"), R"("a\r\nb\tc\b\f")");
    EXPECT_EQ(t(std::string("\0\x01\x1F\x7F", 4)), "\"\\u0000\\u0001\\u001f\x7F\"");
    EXPECT_EQ(t("/"), "\"/\"");
    EXPECT_EQ(t("\x81"), "\"\u0081\"");  // unassigned in 1252; Windows reads it as U+0081
    EXPECT_EQ(
        jet::json_value(jet::Text{"\xE0\xBE\xC5\xA7"}, ColumnType::Text, jet::CodePage::get(874)),
        "\"เพลง\"");
}

TEST(ValueTextTest, CsvTextIsQuotedOnlyWhenItMustBe) {
    const auto t = [](const std::string& bytes) { return csv(jet::Text{bytes}, ColumnType::Text); };
    EXPECT_EQ(t("plain text"), "plain text");
    EXPECT_EQ(t("M\xE9xico"), "México");
    EXPECT_EQ(t("a,b"), "\"a,b\"");
    EXPECT_EQ(t("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(t("two\nlines"), "\"two\nlines\"");
    EXPECT_EQ(t("cr\r"), "\"cr\r\"");
    EXPECT_EQ(t(" lead"), "\" lead\"");
    EXPECT_EQ(t("trail\t"), "\"trail\t\"");
    EXPECT_EQ(t(""), "\"\"");
}

TEST(ValueTextTest, ValueOfAnotherTypeIsAProgrammingError) {
    EXPECT_THROW(json(std::int32_t{1}, ColumnType::Text), std::invalid_argument);
    EXPECT_THROW(csv(jet::Text{"x"}, ColumnType::Long), std::invalid_argument);
    EXPECT_THROW(json(3.0, ColumnType::Single), std::invalid_argument);
}

}  // namespace
