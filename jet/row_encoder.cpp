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

// The bytes of a variable column's value (Text, Binary, or a fixed type kept
// in the variable area by some system tables).
std::vector<std::uint8_t> variable_bytes(const Column& column, const Value& value) {
    switch (column.type) {
        case ColumnType::Text: {
            const std::string& s = as<Text>(column, value).bytes;
            return {s.begin(), s.end()};
        }
        case ColumnType::Binary:
            return as<Bytes>(column, value).data;
        default:
            return encode_fixed_value(column, value);
    }
}

}  // namespace

std::vector<std::uint8_t> encode_fixed_value(const Column& column, const Value& value) {
    std::vector<std::uint8_t> out;
    switch (column.type) {
        case ColumnType::Byte:
            out.push_back(as<std::uint8_t>(column, value));
            break;
        case ColumnType::Integer:
            append_u16le(out, static_cast<std::uint16_t>(as<std::int16_t>(column, value)));
            break;
        case ColumnType::Long:
            append_u32le(out, static_cast<std::uint32_t>(as<std::int32_t>(column, value)));
            break;
        case ColumnType::Currency:
            append_u64le(out,
                         static_cast<std::uint64_t>(as<Currency>(column, value).ten_thousandths));
            break;
        case ColumnType::Single:
            append_u32le(out, std::bit_cast<std::uint32_t>(as<float>(column, value)));
            break;
        case ColumnType::Double:
        case ColumnType::DateTime: {
            const double d = column.type == ColumnType::Double ? as<double>(column, value)
                                                               : as<DateTime>(column, value).days;
            append_u64le(out, std::bit_cast<std::uint64_t>(d));
            break;
        }
        case ColumnType::Guid: {
            const auto& g = as<Guid>(column, value).stored;
            out.assign(g.begin(), g.end());
            break;
        }
        case ColumnType::Binary: {
            out = as<Bytes>(column, value).data;
            out.resize(column.size, 0);
            break;
        }
        case ColumnType::Text: {
            const std::string& s = as<Text>(column, value).bytes;
            out.assign(s.begin(), s.end());
            out.resize(column.size, 0);
            break;
        }
        case ColumnType::Boolean:
        case ColumnType::Memo:
        case ColumnType::Ole:
            wrong_type(column);
    }
    return out;
}

std::vector<std::uint8_t> encode_row(
    const TableDefinition& table, std::span<const Value> values,
    std::span<const std::optional<std::vector<std::uint8_t>>> long_value_fields) {
    const std::size_t column_count = table.max_columns;
    const std::size_t slot_count = table.max_variable_columns;
    std::vector<std::uint8_t> mask((column_count + 7) / 8, 0);
    auto set_present = [&](const Column& column) {
        if (column.number >= column_count) {
            throw FormatError("table '" + table.name + "': column '" + column.name +
                              "' has number " + std::to_string(column.number) +
                              ", past the table's " + std::to_string(column_count) + " columns");
        }
        mask[column.number / 8] |= static_cast<std::uint8_t>(1u << (column.number % 8));
    };

    std::size_t fixed_area = 0;
    for (const Column& column : table.columns) {
        if (column.fixed() && column.type != ColumnType::Boolean) {
            fixed_area = std::max(fixed_area, column.fixed_offset + column.stored_size());
        }
    }
    std::vector<std::uint8_t> row(1 + fixed_area, 0);
    row[0] = static_cast<std::uint8_t>(column_count);

    std::vector<const std::vector<std::uint8_t>*> slots(slot_count, nullptr);
    std::vector<std::vector<std::uint8_t>> variable(table.columns.size());
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        const Column& column = table.columns[i];
        const Value& value = values[i];
        if (column.type == ColumnType::Boolean) {
            if (as<bool>(column, value)) {
                set_present(column);
            }
            continue;
        }
        const bool long_value = column.type == ColumnType::Memo || column.type == ColumnType::Ole;
        if (is_null(value) || (long_value && !long_value_fields[i])) {
            continue;
        }
        set_present(column);
        if (column.fixed()) {
            const auto bytes = encode_fixed_value(column, value);
            std::copy(bytes.begin(), bytes.end(), row.begin() + 1 + column.fixed_offset);
            continue;
        }
        if (column.variable_index >= slot_count) {
            throw FormatError("table '" + table.name + "': column '" + column.name +
                              "' has variable slot " + std::to_string(column.variable_index) +
                              ", past the table's " + std::to_string(slot_count) + " slots");
        }
        variable[i] = long_value ? *long_value_fields[i] : variable_bytes(column, value);
        slots[column.variable_index] = &variable[i];
    }
    if (slot_count == 0) {
        row.insert(row.end(), mask.begin(), mask.end());
        return row;
    }

    std::vector<std::size_t> offsets(slot_count + 1);
    for (std::size_t k = 0; k < slot_count; ++k) {
        offsets[k] = row.size();
        if (slots[k] != nullptr) {
            row.insert(row.end(), slots[k]->begin(), slots[k]->end());
        }
    }
    const std::size_t eod = row.size();
    offsets[slot_count] = eod;

    const std::size_t without_jumps = eod + 1 + slot_count + 1 + mask.size();
    std::size_t jump_slots = 0;
    while (jump_slots != (without_jumps + jump_slots - 1) / 256) {
        ++jump_slots;
    }
    const std::size_t boundaries = eod / 256;
    if (boundaries > jump_slots || jump_slots - boundaries > 1) {
        throw Error("table '" + table.name + "': a row of " +
                    std::to_string(without_jumps + jump_slots) +
                    " bytes cannot be laid out (its trailer is too long)");
    }
    std::vector<std::uint8_t> jumps(jump_slots, 0xFF);
    for (std::size_t k = 1; k <= boundaries; ++k) {
        std::size_t first = 0;
        while (offsets[first] < 256 * k) {
            ++first;
        }
        jumps[k - 1] = static_cast<std::uint8_t>(first);
    }

    row.push_back(static_cast<std::uint8_t>(eod & 0xFF));
    for (std::size_t k = slot_count; k-- > 0;) {
        row.push_back(static_cast<std::uint8_t>(offsets[k] & 0xFF));
    }
    row.insert(row.end(), jumps.rbegin(), jumps.rend());
    row.push_back(static_cast<std::uint8_t>(slot_count));
    row.insert(row.end(), mask.begin(), mask.end());
    if (row.size() > kMaxRowLength) {
        throw Error("table '" + table.name + "': the row would be " + std::to_string(row.size()) +
                    " bytes, longer than the " + std::to_string(kMaxRowLength) +
                    " bytes a row may have");
    }
    return row;
}

}  // namespace jet
