#include "jet/value_text.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string_view>
#include <system_error>

namespace jet {

namespace {

// A finite non-zero number as significant digits (no leading or trailing
// zeros) and the decimal exponent of the first digit: 1234.5 is "12345", 3.
struct Decimal {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

// Reads the output of std::to_chars in scientific form, e.g. "-1.2345e+03".
Decimal parse_scientific(std::string_view text) {
    Decimal decimal;
    if (!text.empty() && text.front() == '-') {
        decimal.negative = true;
        text.remove_prefix(1);
    }
    const std::size_t e = text.find('e');
    for (const char c : text.substr(0, e)) {
        if (c != '.')
            decimal.digits += c;
    }
    std::string_view exponent = text.substr(e + 1);
    if (exponent.front() == '+')
        exponent.remove_prefix(1);
    std::from_chars(exponent.data(), exponent.data() + exponent.size(), decimal.exponent);
    while (decimal.digits.size() > 1 && decimal.digits.back() == '0')
        decimal.digits.pop_back();
    return decimal;
}

// Lays a number out the way JavaScript's Number::toString does, so that our
// output matches what other tools produce with JSON.stringify.
std::string javascript_layout(const Decimal& decimal) {
    const std::string& s = decimal.digits;
    const int k = static_cast<int>(s.size());
    const int n = decimal.exponent + 1;
    std::string out = decimal.negative ? "-" : "";
    if (k <= n && n <= 21) {
        out += s;
        out.append(n - k, '0');
    } else if (0 < n && n <= 21) {
        out += s.substr(0, n);
        out += '.';
        out += s.substr(n);
    } else if (-6 < n && n <= 0) {
        out += "0.";
        out.append(-n, '0');
        out += s;
    } else {
        out += s[0];
        if (k > 1) {
            out += '.';
            out += s.substr(1);
        }
        out += n - 1 < 0 ? "e-" : "e+";
        out += std::to_string(std::abs(n - 1));
    }
    return out;
}

// Non-finite numbers have no JSON form; CSV spells them out.
std::string non_finite(double x, bool json) {
    if (json)
        return "null";
    if (std::isnan(x))
        return "NaN";
    return x < 0 ? "-Infinity" : "Infinity";
}

std::string double_text(double x, bool json) {
    if (!std::isfinite(x))
        return non_finite(x, json);
    if (x == 0)
        return "0";
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::scientific);
    return javascript_layout(parse_scientific(std::string_view(buffer, result.ptr - buffer)));
}

std::string single_text(float x, bool json) {
    constexpr std::size_t kSignificant = 7;
    if (!std::isfinite(x))
        return non_finite(x, json);
    if (x == 0)
        return "0";
    // The exact decimal expansion of a float has at most 112 significant
    // digits, so this precision writes it without rounding; rounding to
    // 7 digits then happens here, halves away from zero.
    char buffer[200];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(x),
                                      std::chars_format::scientific, 150);
    Decimal decimal = parse_scientific(std::string_view(buffer, result.ptr - buffer));
    if (decimal.digits.size() > kSignificant) {
        const bool round_up = decimal.digits[kSignificant] >= '5';
        decimal.digits.resize(kSignificant);
        if (round_up) {
            int i = kSignificant - 1;
            while (i >= 0 && decimal.digits[i] == '9')
                decimal.digits[i--] = '0';
            if (i < 0) {
                decimal.digits.insert(decimal.digits.begin(), '1');
                ++decimal.exponent;
            } else {
                ++decimal.digits[i];
            }
        }
        while (decimal.digits.size() > 1 && decimal.digits.back() == '0') {
            decimal.digits.pop_back();
        }
    }
    return javascript_layout(decimal);
}

std::string currency_text(Currency money) {
    const bool negative = money.ten_thousandths < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(money.ten_thousandths)
                                             : static_cast<std::uint64_t>(money.ten_thousandths);
    char fraction[8];
    std::snprintf(fraction, sizeof fraction, "%04u", static_cast<unsigned>(magnitude % 10000));
    return (negative ? "-" : "") + std::to_string(magnitude / 10000) + "." + fraction;
}

std::string date_time_text(DateTime when) {
    constexpr double kSecondsPerDay = 86400;
    // Beyond this the day number no longer fits the years 0000-9999 anyway.
    if (!(std::fabs(when.days) < 4'000'000)) {
        throw std::out_of_range("date/time value " + double_text(when.days, false) +
                                " days lies outside the years 0000-9999");
    }
    const double day = std::trunc(when.days);
    const double fraction = std::fabs(when.days - day);
    auto day_number = static_cast<std::int64_t>(day);
    auto seconds = static_cast<std::int64_t>(std::floor(fraction * kSecondsPerDay + 0.5));
    if (seconds >= 86400) {
        ++day_number;
        seconds -= 86400;
    }
    // Day 0 is 1899-12-30, which is 25569 days before 1970-01-01.
    const std::chrono::year_month_day date{
        std::chrono::sys_days{std::chrono::days{day_number - 25569}}};
    const int year = static_cast<int>(date.year());
    if (year < 0 || year > 9999) {
        throw std::out_of_range("date/time value " + double_text(when.days, false) +
                                " days lies outside the years 0000-9999");
    }
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d", year,
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                  static_cast<int>(seconds % 60));
    return text;
}

std::string hex_text(const Bytes& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.data.size() * 2);
    for (const std::uint8_t b : bytes.data) {
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
    return out;
}

// Stored layout: Data1 (u32 LE), Data2 (u16 LE), Data3 (u16 LE), then 8 bytes in order.
std::string guid_text(const Guid& guid) {
    const auto& b = guid.stored;
    char text[40];
    std::snprintf(text, sizeof text,
                  "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[3],
                  b[2], b[1], b[0], b[5], b[4], b[7], b[6], b[8], b[9], b[10], b[11], b[12], b[13],
                  b[14], b[15]);
    return text;
}

std::string json_string(std::string_view utf8) {
    std::string out = "\"";
    for (const char c : utf8) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
                    out += escape;
                } else {
                    out += c;
                }
        }
    }
    out += '"';
    return out;
}

std::string csv_field(std::string utf8) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    if (utf8.empty())
        return "\"\"";
    const bool quote = utf8.find_first_of(",\"\r\n") != std::string::npos ||
                       (!utf8.empty() && (blank(utf8.front()) || blank(utf8.back())));
    if (!quote)
        return utf8;
    std::string out = "\"";
    for (const char c : utf8) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
    return out;
}

void check_type(const Value& value, ColumnType type) {
    if (!is_null(value) && !value_fits_type(value, type)) {
        throw std::invalid_argument(std::string("value of variant alternative ") +
                                    std::to_string(value.index()) + " given for a " +
                                    column_type_name(type) + " column");
    }
}

// The text of a value other than NULL and Text; `json` decides only how
// non-finite floating-point numbers come out.
std::string scalar_text(const Value& value, bool json) {
    struct {
        bool json;
        std::string operator()(bool b) const { return b ? "true" : "false"; }
        std::string operator()(std::uint8_t n) const { return std::to_string(n); }
        std::string operator()(std::int16_t n) const { return std::to_string(n); }
        std::string operator()(std::int32_t n) const { return std::to_string(n); }
        std::string operator()(Currency c) const { return currency_text(c); }
        std::string operator()(float x) const { return single_text(x, json); }
        std::string operator()(double x) const { return double_text(x, json); }
        std::string operator()(DateTime d) const { return date_time_text(d); }
        std::string operator()(const Bytes& b) const { return hex_text(b); }
        std::string operator()(const Guid& g) const { return guid_text(g); }
        std::string operator()(const Null&) const { return ""; }
        std::string operator()(const Text&) const { return ""; }
    } visitor{json};
    return std::visit(visitor, value);
}

bool is_json_string(const Value& value) {
    return std::holds_alternative<Currency>(value) || std::holds_alternative<DateTime>(value) ||
           std::holds_alternative<Bytes>(value) || std::holds_alternative<Guid>(value);
}

}  // namespace

std::string json_value(const Value& value, ColumnType type, const CodePage& code_page) {
    check_type(value, type);
    if (is_null(value))
        return "null";
    if (const auto* text = std::get_if<Text>(&value)) {
        return json_string(code_page.to_utf8(text->bytes));
    }
    std::string text = scalar_text(value, true);
    return is_json_string(value) ? json_string(text) : text;
}

std::string csv_value(const Value& value, ColumnType type, const CodePage& code_page) {
    check_type(value, type);
    if (is_null(value))
        return "";
    if (const auto* text = std::get_if<Text>(&value)) {
        return csv_field(code_page.to_utf8(text->bytes));
    }
    return scalar_text(value, false);
}

}  // namespace jet
