// Rows are built in storage order: the column count, the fixed area, the
// variable data, then the trailer (eod, slot offsets last slot first, jump
// table, slot count, null mask). Offsets are stored as their low byte; the
// jump table names, for every 256-byte boundary the offsets cross, the first
// slot (the slot count standing for eod) whose offset lies at or past it,
// the first boundary's entry nearest the slot count. The number of jump
// entries is fixed by the row's length ((length - 1) / 256); when it exceeds
// the boundaries eod crosses by one, the extra entry, farthest from the slot
// count, is the filler 0xFF.
#include "jet/row_encoder.h"

#include <algorithm>
#include <bit>
#include <string>

#include "jet/coding.h"
#include "jet/error.h"
#include "jet/write_error.h"

namespace jet {
namespace {

[[noreturn]] void wrong_type(const Column& column) {
    throw WriteRefused(
        WriteRefused::Kind::Conversion,
        "the value given for column '" + column.name + "' is not of the column's type");
}

template <typename T>
const T& as(const Column& column, const Value& value) {
    const T* v = std::get_if<T>(&value);
    if (v == nullptr) {
        wrong_type(column);
    }
    return *v;
}

std::span<const std::uint8_t> bytes_of(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

// Writes a fixed column's value into its column.stored_size() bytes at `out`;
// Text and Binary are cut or padded with zeros to the column's size.
void put_fixed_value(const Column& column, const Value& value, std::uint8_t* out) {
    auto put_padded = [&](std::span<const std::uint8_t> bytes) {
        const std::size_t kept = std::min<std::size_t>(bytes.size(), column.size);
        std::copy_n(bytes.begin(), kept, out);
        std::fill(out + kept, out + column.size, std::uint8_t{0});
    };
    switch (column.type) {
        case ColumnType::Byte:
            out[0] = as<std::uint8_t>(column, value);
            return;
        case ColumnType::Integer:
            put_u16le(out, static_cast<std::uint16_t>(as<std::int16_t>(column, value)));
            return;
        case ColumnType::Long:
            put_u32le(out, static_cast<std::uint32_t>(as<std::int32_t>(column, value)));
            return;
        case ColumnType::Currency:
            put_u64le(out, static_cast<std::uint64_t>(as<Currency>(column, value).ten_thousandths));
            return;
        case ColumnType::Single:
            put_u32le(out, std::bit_cast<std::uint32_t>(as<float>(column, value)));
            return;
        case ColumnType::Double:
        case ColumnType::DateTime: {
            const double d = column.type == ColumnType::Double ? as<double>(column, value)
                                                               : as<DateTime>(column, value).days;
            put_u64le(out, std::bit_cast<std::uint64_t>(d));
            return;
        }
        case ColumnType::Guid: {
            const auto& g = as<Guid>(column, value).stored;
            std::copy(g.begin(), g.end(), out);
            return;
        }
        case ColumnType::Binary:
            put_padded(as<Bytes>(column, value).data);
            return;
        case ColumnType::Text:
            put_padded(bytes_of(as<Text>(column, value).bytes));
            return;
        case ColumnType::Boolean:
        case ColumnType::Memo:
        case ColumnType::Ole:
            wrong_type(column);
    }
}

// Where one variable column's bytes come from, and where they start in the row.
struct Slot {
    std::span<const std::uint8_t> bytes;
    std::size_t offset = 0;
};

}  // namespace

std::vector<std::uint8_t> encode_fixed_value(const Column& column, const Value& value) {
    std::vector<std::uint8_t> out(column.stored_size());
    put_fixed_value(column, value, out.data());
    return out;
}

std::vector<std::uint8_t> encode_row(
    const TableDefinition& table, std::span<const Value> values,
    std::span<const std::optional<std::vector<std::uint8_t>>> long_value_fields) {
    const std::size_t column_count = table.max_columns;
    const std::size_t slot_count = table.max_variable_columns;
    const std::size_t mask_length = (column_count + 7) / 8;

    // First pass: check every value and find the variable data, so that the
    // row's whole length is known and its bytes are written in place.
    std::size_t fixed_area = 0;
    std::vector<Slot> slots(slot_count + 1);
    // Variable columns of a fixed type (some system tables keep them so) are
    // encoded here first; a moved vector keeps its bytes where they are.
    std::vector<std::vector<std::uint8_t>> encoded_fixed;
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        const Column& column = table.columns[i];
        const Value& value = values[i];
        if (column.type == ColumnType::Boolean) {
            as<bool>(column, value);
            continue;
        }
        if (column.fixed()) {
            fixed_area = std::max(fixed_area, column.fixed_offset + column.stored_size());
        }
        const bool long_value = column.type == ColumnType::Memo || column.type == ColumnType::Ole;
        if (is_null(value) || (long_value && !long_value_fields[i]) || column.fixed()) {
            continue;
        }
        if (column.variable_index >= slot_count) {
            throw FormatError("table '" + table.name + "': column '" + column.name +
                              "' has variable slot " + std::to_string(column.variable_index) +
                              ", past the table's " + std::to_string(slot_count) + " slots");
        }
        std::span<const std::uint8_t>& bytes = slots[column.variable_index].bytes;
        if (long_value) {
            bytes = *long_value_fields[i];
        } else if (column.type == ColumnType::Text) {
            bytes = bytes_of(as<Text>(column, value).bytes);
        } else if (column.type == ColumnType::Binary) {
            bytes = as<Bytes>(column, value).data;
        } else {
            bytes = encoded_fixed.emplace_back(encode_fixed_value(column, value));
        }
    }

    std::size_t eod = 1 + fixed_area;
    for (std::size_t k = 0; k < slot_count; ++k) {
        slots[k].offset = eod;
        eod += slots[k].bytes.size();
    }
    slots[slot_count].offset = eod;

    // The jump table is part of the row whose offsets it indexes: it has
    // (length - 1) / 256 entries for the row's whole length, its own entries
    // included. Counting up from none finds the least count that agrees with
    // the length it makes; a row of at most kMaxRowLength bytes takes a few
    // steps.
    std::size_t jump_count = 0;
    std::size_t boundaries = 0;
    std::size_t length = 1 + fixed_area + mask_length;
    if (slot_count > 0) {
        const std::size_t without_jumps = eod + 1 + slot_count + 1 + mask_length;
        while (jump_count != (without_jumps + jump_count - 1) / 256) {
            ++jump_count;
        }
        boundaries = eod / 256;
        if (boundaries > jump_count || jump_count - boundaries > 1) {
            throw Error("table '" + table.name + "': a row of " +
                        std::to_string(without_jumps + jump_count) +
                        " bytes cannot be laid out (its trailer is too long)");
        }
        length = without_jumps + jump_count;
    }
    if (length > kMaxRowLength) {
        throw Error("table '" + table.name + "': the row would be " + std::to_string(length) +
                    " bytes, longer than the " + std::to_string(kMaxRowLength) +
                    " bytes a row may have");
    }

    std::vector<std::uint8_t> row(length, 0);
    row[0] = static_cast<std::uint8_t>(column_count);
    std::uint8_t* const mask = row.data() + length - mask_length;
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        const Column& column = table.columns[i];
        const Value& value = values[i];
        const bool present =
            column.type == ColumnType::Boolean
                ? std::get<bool>(value)
                : !is_null(value) &&
                      !((column.type == ColumnType::Memo || column.type == ColumnType::Ole) &&
                        !long_value_fields[i]);
        if (!present) {
            continue;
        }
        if (column.number >= column_count) {
            throw FormatError("table '" + table.name + "': column '" + column.name +
                              "' has number " + std::to_string(column.number) +
                              ", past the table's " + std::to_string(column_count) + " columns");
        }
        mask[column.number / 8] |= static_cast<std::uint8_t>(1u << (column.number % 8));
        if (column.fixed() && column.type != ColumnType::Boolean) {
            put_fixed_value(column, value, row.data() + 1 + column.fixed_offset);
        }
    }
    if (slot_count == 0) {
        return row;
    }

    std::uint8_t* out = row.data();
    for (std::size_t k = 0; k < slot_count; ++k) {
        std::copy(slots[k].bytes.begin(), slots[k].bytes.end(), out + slots[k].offset);
    }
    out += eod;
    *out++ = static_cast<std::uint8_t>(eod & 0xFF);
    for (std::size_t k = slot_count; k-- > 0;) {
        *out++ = static_cast<std::uint8_t>(slots[k].offset & 0xFF);
    }
    // Stored farthest boundary first: the filler, when there is one, then
    // the boundaries from the last down to the first.
    std::uint8_t* const jumps = out;
    std::fill(jumps, jumps + jump_count, std::uint8_t{0xFF});
    std::size_t first = 0;
    for (std::size_t k = 1; k <= boundaries; ++k) {
        while (slots[first].offset < 256 * k) {
            ++first;
        }
        jumps[jump_count - k] = static_cast<std::uint8_t>(first);
    }
    out += jump_count;
    *out = static_cast<std::uint8_t>(slot_count);
    return row;
}

}  // namespace jet
