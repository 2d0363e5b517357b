// Index key bytes of column values.
//
// Per column, in index-column order:
//   null      0x00 ascending, 0xFF descending (nothing else);
//   non-null  start byte 0x7F ascending, 0x80 descending, then the value bytes.
// Value bytes, ascending (descending inverts them as noted):
//   Boolean               0x00 True, 0xFF False (True is -1 and sorts first)
//   Byte                  the byte
//   Integer/Long/Currency big-endian two's complement, top bit flipped
//   Single/Double/Date    big-endian IEEE bits; sign clear: flip the sign bit;
//                         sign set: invert every byte
//   Binary                general binary segments (below)
//   Replication ID        the 16 bytes in textual order (Data1, Data2, Data3
//                         byte-swapped from their little-endian storage), then
//                         general binary segments
//   Text                  the sort-order key of the code-page bytes
//                         (general_sort.h)
// Descending keys invert every value byte, except the 0x09 markers between
// general binary segments.
//
// General binary segments: the value is cut into 8-byte segments; each full
// segment that is not the last is followed by 0x09; the last segment is padded
// with zeros to 8 bytes and followed by its count of real bytes (1-8). An
// empty value contributes nothing.
//   e.g. 01 02 03 -> 01 02 03 00 00 00 00 00 03
#include "jet/index_key.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <type_traits>

#include "jet/general_sort.h"

namespace jet {
namespace {

constexpr std::uint8_t kNullAscending = 0x00;
constexpr std::uint8_t kNullDescending = 0xFF;
constexpr std::uint8_t kStartAscending = 0x7F;
constexpr std::uint8_t kStartDescending = 0x80;
constexpr std::uint8_t kMoreSegments = 0x09;
constexpr std::size_t kSegmentLength = 8;

void invert_from(std::vector<std::uint8_t>& key, std::size_t from) {
    for (std::size_t i = from; i < key.size(); ++i) {
        key[i] = static_cast<std::uint8_t>(~key[i]);
    }
}

template <typename Unsigned>
void append_big_endian(std::vector<std::uint8_t>& key, Unsigned bits) {
    for (int shift = 8 * (sizeof(Unsigned) - 1); shift >= 0; shift -= 8) {
        key.push_back(static_cast<std::uint8_t>(bits >> shift));
    }
}

template <typename Signed>
void append_integer(std::vector<std::uint8_t>& key, Signed value) {
    using Unsigned = std::make_unsigned_t<Signed>;
    constexpr Unsigned top = Unsigned{1} << (8 * sizeof(Unsigned) - 1);
    append_big_endian(key, static_cast<Unsigned>(static_cast<Unsigned>(value) ^ top));
}

template <typename Float>
void append_floating(std::vector<std::uint8_t>& key, Float value) {
    using Unsigned = std::conditional_t<sizeof(Float) == 4, std::uint32_t, std::uint64_t>;
    constexpr Unsigned sign = Unsigned{1} << (8 * sizeof(Unsigned) - 1);
    Unsigned bits = std::bit_cast<Unsigned>(value);
    bits = (bits & sign) ? static_cast<Unsigned>(~bits) : static_cast<Unsigned>(bits ^ sign);
    append_big_endian(key, bits);
}

// Segments of general binary encoding; `ascending` decides which bytes are inverted.
void append_general_binary(std::vector<std::uint8_t>& key, std::span<const std::uint8_t> bytes,
                           bool ascending) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t length = std::min(kSegmentLength, bytes.size() - pos);
        bool last = pos + length == bytes.size();
        std::size_t segment_start = key.size();
        key.insert(key.end(), bytes.begin() + pos, bytes.begin() + pos + length);
        key.resize(segment_start + kSegmentLength, 0);
        if (last) {
            key.push_back(static_cast<std::uint8_t>(length));
        }
        if (!ascending) {
            invert_from(key, segment_start);
        }
        if (!last) {
            key.push_back(kMoreSegments);
        }
        pos += length;
    }
}

std::array<std::uint8_t, 16> guid_in_text_order(const Guid& guid) {
    std::array<std::uint8_t, 16> text = guid.stored;
    std::reverse(text.begin(), text.begin() + 4);
    std::reverse(text.begin() + 4, text.begin() + 6);
    std::reverse(text.begin() + 6, text.begin() + 8);
    return text;
}

template <typename T>
const T& value_as(const IndexKeyColumn& column, const Value& value) {
    if (const T* v = std::get_if<T>(&value)) {
        return *v;
    }
    throw IndexKeyError("index column \"" + column.name + "\" (" + column_type_name(column.type) +
                        ") was given a value of another type");
}

// Value bytes in ascending form; the caller inverts them for descending
// columns, except Binary and Replication ID, which invert themselves.
void append_value(std::vector<std::uint8_t>& key, const IndexKeyColumn& column,
                  const Value& value) {
    switch (column.type) {
        case ColumnType::Boolean:
            key.push_back(value_as<bool>(column, value) ? 0x00 : 0xFF);
            return;
        case ColumnType::Byte:
            key.push_back(value_as<std::uint8_t>(column, value));
            return;
        case ColumnType::Integer:
            append_integer(key, value_as<std::int16_t>(column, value));
            return;
        case ColumnType::Long:
            append_integer(key, value_as<std::int32_t>(column, value));
            return;
        case ColumnType::Currency:
            append_integer(key, value_as<Currency>(column, value).ten_thousandths);
            return;
        case ColumnType::Single:
            append_floating(key, value_as<float>(column, value));
            return;
        case ColumnType::Double:
            append_floating(key, value_as<double>(column, value));
            return;
        case ColumnType::DateTime:
            append_floating(key, value_as<DateTime>(column, value).days);
            return;
        case ColumnType::Text: {
            const std::string& bytes = value_as<Text>(column, value).bytes;
            if (!sort_order_supported(column.sort_order)) {
                throw IndexKeyError("text index column \"" + column.name + "\" uses " +
                                    sort_order_name(column.sort_order) +
                                    ", whose keys this engine cannot build; only General "
                                    "(1033) is supported");
            }
            append_general_text_key(key, bytes);
            return;
        }
        case ColumnType::Binary:
        case ColumnType::Guid:
        case ColumnType::Ole:
        case ColumnType::Memo:
            break;
    }
    throw IndexKeyError("index column \"" + column.name + "\" has type " +
                        column_type_name(column.type) + ", which cannot be indexed");
}

}  // namespace

void append_column_key(std::vector<std::uint8_t>& key, const IndexKeyColumn& column,
                       const Value& value) {
    if (is_null(value)) {
        key.push_back(column.ascending ? kNullAscending : kNullDescending);
        return;
    }
    key.push_back(column.ascending ? kStartAscending : kStartDescending);
    if (column.type == ColumnType::Binary) {
        append_general_binary(key, value_as<Bytes>(column, value).data, column.ascending);
        return;
    }
    if (column.type == ColumnType::Guid) {
        append_general_binary(key, guid_in_text_order(value_as<Guid>(column, value)),
                              column.ascending);
        return;
    }
    std::size_t value_start = key.size();
    append_value(key, column, value);
    if (!column.ascending) {
        invert_from(key, value_start);
    }
}

std::vector<std::uint8_t> encode_index_key(std::span<const IndexKeyColumn> columns,
                                           std::span<const Value> values) {
    if (columns.size() != values.size()) {
        throw IndexKeyError("an index key needs " + std::to_string(columns.size()) +
                            " values, got " + std::to_string(values.size()));
    }
    std::vector<std::uint8_t> key;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        append_column_key(key, columns[i], values[i]);
    }
    return key;
}

int compare_keys(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    std::size_t common = std::min(a.size(), b.size());
    int order = common == 0 ? 0 : std::memcmp(a.data(), b.data(), common);
    if (order != 0) {
        return order;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

}  // namespace jet
