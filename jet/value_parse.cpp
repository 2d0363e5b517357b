#include "jet/value_parse.h"

#include <array>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <system_error>

#include "jet/write_error.h"

namespace jet {

namespace {

// The most bytes a long value's 30-bit length field can give.
constexpr std::size_t kLongValueLimit = (std::size_t{1} << 30) - 1;

// Raises the refusals of one conversion, each naming the column and the text.
class Refusal {
  public:
    Refusal(std::string_view text, const Column& column) : text_(text), column_(column) {}

    [[noreturn]] void mismatch() const {
        throw WriteRefused(
            WriteRefused::Kind::Conversion,
            "type mismatch: '" + std::string(text_) + "' cannot be stored in " + describe());
    }
    [[noreturn]] void overflow() const {
        throw WriteRefused(
            WriteRefused::Kind::Overflow,
            "overflow: '" + std::string(text_) + "' is out of the range of " + describe());
    }
    [[noreturn]] void too_small(std::size_t needed, std::size_t limit) const {
        throw WriteRefused(WriteRefused::Kind::FieldTooSmall,
                           "field too small: column '" + column_.name + "' holds at most " +
                               std::to_string(limit) + " bytes, the value needs " +
                               std::to_string(needed));
    }

  private:
    std::string describe() const {
        return "column '" + column_.name + "' (" + column_type_name(column_.type) + ")";
    }

    std::string_view text_;
    const Column& column_;
};

bool blank(char c) {
    return c == ' ' || c == '\t';
}
bool digit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trim_blanks(std::string_view text) {
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// A decimal number as written: sign, the digits before and after the point,
// and the exponent that follows them.
struct DecimalText {
    bool negative = false;
    std::string_view integer_digits;
    std::string_view fraction_digits;
    int exponent = 0;
};

// Reads [blanks] [+|-] digits [. digits] [e|E [+|-] digits] [blanks], with at
// least one digit before or after the point; the exponent only when allowed.
std::optional<DecimalText> parse_decimal(std::string_view text, bool allow_exponent) {
    text = trim_blanks(text);
    DecimalText number;
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        number.negative = text[pos] == '-';
        ++pos;
    }
    const std::size_t integer_start = pos;
    while (pos < text.size() && digit(text[pos]))
        ++pos;
    number.integer_digits = text.substr(integer_start, pos - integer_start);
    if (pos < text.size() && text[pos] == '.') {
        const std::size_t fraction_start = ++pos;
        while (pos < text.size() && digit(text[pos]))
            ++pos;
        number.fraction_digits = text.substr(fraction_start, pos - fraction_start);
    }
    if (number.integer_digits.empty() && number.fraction_digits.empty())
        return std::nullopt;
    if (allow_exponent && pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        bool negative_exponent = false;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
            negative_exponent = text[pos] == '-';
            ++pos;
        }
        const std::size_t exponent_start = pos;
        while (pos < text.size() && digit(text[pos]))
            ++pos;
        if (pos == exponent_start)
            return std::nullopt;
        // Exponents past this make any non-zero number overflow or vanish anyway.
        constexpr int kExponentCap = 100000;
        for (std::size_t i = exponent_start; i < pos; ++i) {
            number.exponent = std::min(kExponentCap, number.exponent * 10 + (text[i] - '0'));
        }
        if (negative_exponent)
            number.exponent = -number.exponent;
    }
    if (pos != text.size())
        return std::nullopt;
    return number;
}

// Appends decimal digits to `value`; false when the result passes 2^64 - 1.
bool accumulate(std::uint64_t& value, std::string_view digits) {
    for (const char c : digits) {
        const auto d = static_cast<std::uint64_t>(c - '0');
        if (value > (std::numeric_limits<std::uint64_t>::max() - d) / 10)
            return false;
        value = value * 10 + d;
    }
    return true;
}

// Whether the digits dropped after a kept value ending in an odd or even digit
// round it up, half to even: above half, or exactly half and the kept value odd.
bool rounds_up(std::string_view dropped, bool kept_is_odd) {
    if (dropped.empty() || dropped.front() < '5')
        return false;
    if (dropped.front() > '5')
        return true;
    for (const char c : dropped.substr(1)) {
        if (c != '0')
            return true;
    }
    return kept_is_odd;
}

// The number's value scaled by 10^decimals and rounded half to even, within
// [minimum, maximum].
std::int64_t scaled_integer(const DecimalText& number, unsigned decimals, std::int64_t minimum,
                            std::int64_t maximum, const Refusal& refuse) {
    std::string_view kept_fraction = number.fraction_digits.substr(
        0, std::min<std::size_t>(decimals, number.fraction_digits.size()));
    std::uint64_t magnitude = 0;
    if (!accumulate(magnitude, number.integer_digits) || !accumulate(magnitude, kept_fraction))
        refuse.overflow();
    for (std::size_t i = kept_fraction.size(); i < decimals; ++i) {
        if (!accumulate(magnitude, "0"))
            refuse.overflow();
    }
    if (rounds_up(number.fraction_digits.substr(kept_fraction.size()), magnitude % 2 == 1)) {
        if (magnitude == std::numeric_limits<std::uint64_t>::max())
            refuse.overflow();
        ++magnitude;
    }
    if (number.negative) {
        const std::uint64_t limit =
            minimum == 0 ? 0 : static_cast<std::uint64_t>(-(minimum + 1)) + 1;
        if (magnitude > limit)
            refuse.overflow();
        return magnitude == 0 ? 0 : -static_cast<std::int64_t>(magnitude - 1) - 1;
    }
    if (magnitude > static_cast<std::uint64_t>(maximum))
        refuse.overflow();
    return static_cast<std::int64_t>(magnitude);
}

template <typename Integer>
Integer integer_from_text(std::string_view text, const Refusal& refuse) {
    const auto number = parse_decimal(text, false);
    if (!number)
        refuse.mismatch();
    return static_cast<Integer>(scaled_integer(*number, 0, std::numeric_limits<Integer>::min(),
                                               std::numeric_limits<Integer>::max(), refuse));
}

Currency currency_from_text(std::string_view text, const Refusal& refuse) {
    const auto number = parse_decimal(text, false);
    if (!number)
        refuse.mismatch();
    return Currency{scaled_integer(*number, 4, std::numeric_limits<std::int64_t>::min(),
                                   std::numeric_limits<std::int64_t>::max(), refuse)};
}

// The decimal exponent of the number's first significant digit; 0 for zero.
long leading_exponent(const DecimalText& number) {
    const std::size_t integer_start = number.integer_digits.find_first_not_of('0');
    if (integer_start != std::string_view::npos) {
        return number.exponent + static_cast<long>(number.integer_digits.size() - integer_start) -
               1;
    }
    const std::size_t fraction_start = number.fraction_digits.find_first_not_of('0');
    if (fraction_start == std::string_view::npos)
        return 0;
    return number.exponent - static_cast<long>(fraction_start) - 1;
}

template <typename Floating>
Floating floating_from_text(std::string_view text, const Refusal& refuse) {
    const auto number = parse_decimal(text, true);
    if (!number)
        refuse.mismatch();
    std::string canonical = number->negative ? "-" : "";
    canonical += number->integer_digits.empty() ? "0" : number->integer_digits;
    canonical += '.';
    canonical += number->fraction_digits;
    canonical += 'e';
    canonical += std::to_string(number->exponent);
    Floating value = 0;
    const auto result =
        std::from_chars(canonical.data(), canonical.data() + canonical.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        if (leading_exponent(*number) >= 0)
            refuse.overflow();
        return number->negative ? -Floating{0} : Floating{0};
    }
    if (result.ec != std::errc() || result.ptr != canonical.data() + canonical.size())
        refuse.mismatch();
    return value;
}

// Reads exactly `count` decimal digits at text[pos]; advances pos.
std::optional<int> fixed_digits(std::string_view text, std::size_t& pos, std::size_t count) {
    if (pos + count > text.size())
        return std::nullopt;
    int value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (!digit(text[pos + i]))
            return std::nullopt;
        value = value * 10 + (text[pos + i] - '0');
    }
    pos += count;
    return value;
}

bool expect(std::string_view text, std::size_t& pos, char c) {
    if (pos >= text.size() || text[pos] != c)
        return false;
    ++pos;
    return true;
}

DateTime date_time_from_text(std::string_view text, const Refusal& refuse) {
    constexpr int kFirstYear = 100;
    constexpr int kLastYear = 9999;
    constexpr double kSecondsPerDay = 86400;
    // Day 0 is 1899-12-30, which is 25569 days before 1970-01-01.
    constexpr long kUnixEpochDay = 25569;

    const std::string_view trimmed = trim_blanks(text);
    std::size_t pos = 0;
    const auto year = fixed_digits(trimmed, pos, 4);
    if (!year || !expect(trimmed, pos, '-'))
        refuse.mismatch();
    const auto month = fixed_digits(trimmed, pos, 2);
    if (!month || !expect(trimmed, pos, '-'))
        refuse.mismatch();
    const auto day = fixed_digits(trimmed, pos, 2);
    if (!day)
        refuse.mismatch();
    int hours = 0, minutes = 0, seconds = 0;
    if (pos < trimmed.size()) {
        if (trimmed[pos] != 'T' && trimmed[pos] != ' ')
            refuse.mismatch();
        ++pos;
        const auto h = fixed_digits(trimmed, pos, 2);
        if (!h || !expect(trimmed, pos, ':'))
            refuse.mismatch();
        const auto m = fixed_digits(trimmed, pos, 2);
        if (!m)
            refuse.mismatch();
        hours = *h;
        minutes = *m;
        if (pos < trimmed.size()) {
            if (!expect(trimmed, pos, ':'))
                refuse.mismatch();
            const auto s = fixed_digits(trimmed, pos, 2);
            if (!s || pos != trimmed.size())
                refuse.mismatch();
            seconds = *s;
        }
    }
    const std::chrono::year_month_day date{std::chrono::year{*year},
                                           std::chrono::month{static_cast<unsigned>(*month)},
                                           std::chrono::day{static_cast<unsigned>(*day)}};
    if (!date.ok() || hours > 23 || minutes > 59 || seconds > 59)
        refuse.mismatch();
    if (*year < kFirstYear || *year > kLastYear)
        refuse.overflow();
    const long day_number = std::chrono::sys_days{date}.time_since_epoch().count() + kUnixEpochDay;
    // Multiplying by the reciprocal, not dividing, gives the last bit Access stores.
    const double time = (hours * 3600 + minutes * 60 + seconds) * (1 / kSecondsPerDay);
    return DateTime{day_number >= 0 ? day_number + time : day_number - time};
}

bool boolean_from_text(std::string_view text, const Refusal& refuse) {
    const std::string_view word = trim_blanks(text);
    for (const char* yes : {"true", "yes", "on"}) {
        if (equal_ignoring_case(word, yes))
            return true;
    }
    for (const char* no : {"false", "no", "off"}) {
        if (equal_ignoring_case(word, no))
            return false;
    }
    const auto number = parse_decimal(word, true);
    if (!number)
        refuse.mismatch();
    const auto nonzero = [](std::string_view digits) {
        return digits.find_first_not_of('0') != std::string_view::npos;
    };
    return nonzero(number->integer_digits) || nonzero(number->fraction_digits);
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads pairs of hex digits into bytes; false on anything else.
bool hex_bytes(std::string_view text, std::uint8_t* out) {
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = hex_digit(text[i]);
        const int low = hex_digit(text[i + 1]);
        if (high < 0 || low < 0)
            return false;
        out[i / 2] = static_cast<std::uint8_t>(high << 4 | low);
    }
    return true;
}

Guid guid_from_text(std::string_view text, const Refusal& refuse) {
    // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}: the groups' text positions and lengths.
    constexpr std::size_t kGroupStart[] = {1, 10, 15, 20, 25};
    constexpr std::size_t kGroupLength[] = {8, 4, 4, 4, 12};
    const std::string_view braced = trim_blanks(text);
    if (braced.size() != 38 || braced.front() != '{' || braced.back() != '}' || braced[9] != '-' ||
        braced[14] != '-' || braced[19] != '-' || braced[24] != '-') {
        refuse.mismatch();
    }
    std::array<std::uint8_t, 16> written{};
    std::size_t at = 0;
    for (int group = 0; group < 5; ++group) {
        if (!hex_bytes(braced.substr(kGroupStart[group], kGroupLength[group]), &written[at]))
            refuse.mismatch();
        at += kGroupLength[group] / 2;
    }
    // The first three groups are stored little-endian, the last eight bytes as written.
    Guid guid;
    guid.stored = written;
    std::swap(guid.stored[0], guid.stored[3]);
    std::swap(guid.stored[1], guid.stored[2]);
    std::swap(guid.stored[4], guid.stored[5]);
    std::swap(guid.stored[6], guid.stored[7]);
    return guid;
}

Bytes bytes_from_text(std::string_view text, std::size_t limit, const Refusal& refuse) {
    if (text.size() % 2 != 0)
        refuse.mismatch();
    Bytes bytes;
    bytes.data.resize(text.size() / 2);
    if (!hex_bytes(text, bytes.data.data()))
        refuse.mismatch();
    if (bytes.data.size() > limit)
        refuse.too_small(bytes.data.size(), limit);
    return bytes;
}

Text text_from_utf8(std::string_view utf8, std::size_t limit, const CodePage& code_page,
                    const Refusal& refuse) {
    Text text{code_page.from_utf8(utf8)};
    if (text.bytes.size() > limit)
        refuse.too_small(text.bytes.size(), limit);
    return text;
}

}  // namespace

Value value_from_text(std::string_view utf8, const Column& column, const CodePage& code_page) {
    const Refusal refuse(utf8, column);
    switch (column.type) {
        case ColumnType::Text:
            return text_from_utf8(utf8, column.size, code_page, refuse);
        case ColumnType::Memo:
            return text_from_utf8(utf8, kLongValueLimit, code_page, refuse);
        case ColumnType::Byte:
            return integer_from_text<std::uint8_t>(utf8, refuse);
        case ColumnType::Integer:
            return integer_from_text<std::int16_t>(utf8, refuse);
        case ColumnType::Long:
            return integer_from_text<std::int32_t>(utf8, refuse);
        case ColumnType::Currency:
            return currency_from_text(utf8, refuse);
        case ColumnType::Single:
            return floating_from_text<float>(utf8, refuse);
        case ColumnType::Double:
            return floating_from_text<double>(utf8, refuse);
        case ColumnType::DateTime:
            return date_time_from_text(utf8, refuse);
        case ColumnType::Boolean:
            return boolean_from_text(utf8, refuse);
        case ColumnType::Guid:
            return guid_from_text(utf8, refuse);
        case ColumnType::Binary:
            return bytes_from_text(utf8, column.size, refuse);
        case ColumnType::Ole:
            return bytes_from_text(utf8, kLongValueLimit, refuse);
    }
    refuse.mismatch();
}

}  // namespace jet
