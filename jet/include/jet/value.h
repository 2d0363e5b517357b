// Column values as the engine hands them out and takes them in.
//
// Text and Memo values are kept as the bytes the file stores them in (the
// database's data code page); conversion to and from UTF-8 happens at the
// edges, through CodePage. Index keys are built from those same bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace jet {

// Column type codes as stored in a table definition.
enum class ColumnType : std::uint8_t {
    Boolean = 0x01,
    Byte = 0x02,
    Integer = 0x03,
    Long = 0x04,
    Currency = 0x05,
    Single = 0x06,
    Double = 0x07,
    DateTime = 0x08,
    Binary = 0x09,
    Text = 0x0A,
    Ole = 0x0B,
    Memo = 0x0C,
    Guid = 0x0F,
};

struct Null {
    bool operator==(const Null&) const = default;
};

// Money in ten-thousandths of a unit, as stored.
struct Currency {
    std::int64_t ten_thousandths = 0;
    bool operator==(const Currency&) const = default;
};

// Days since 1899-12-30 00:00; the fraction counts forward from that day's midnight.
struct DateTime {
    double days = 0;
    bool operator==(const DateTime&) const = default;
};

// Code-page bytes of a Text or Memo value.
struct Text {
    std::string bytes;
    bool operator==(const Text&) const = default;
};

// Raw bytes of a Binary or OLE value.
struct Bytes {
    std::vector<std::uint8_t> data;
    bool operator==(const Bytes&) const = default;
};

// A Replication ID in its stored layout (Data1, Data2, Data3 little-endian, then 8 bytes).
struct Guid {
    std::array<std::uint8_t, 16> stored{};
    bool operator==(const Guid&) const = default;
};

using Value = std::variant<Null, bool, std::uint8_t, std::int16_t, std::int32_t, Currency, float,
                           double, DateTime, Text, Bytes, Guid>;

inline bool is_null(const Value& v) {
    return std::holds_alternative<Null>(v);
}

// The type's name as Access shows it ("Long Integer", "Date/Time", ...).
const char* column_type_name(ColumnType type);

// Whether a non-null value has the alternative a column of this type holds.
bool value_fits_type(const Value& value, ColumnType type);

}  // namespace jet
