// Row serialisation: column values into the bytes of one table row. The row
// layout is described at the top of row.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "jet/table_definition.h"
#include "jet/value.h"

namespace jet {

// The longest row the writer stores: the longest a Jet 3 row may be.
constexpr std::size_t kMaxRowLength = 2012;

// The stored bytes of a fixed column's value (Byte … Replication ID). Throws
// WriteRefused (Conversion) naming the column when the value is not of the
// column's type.
std::vector<std::uint8_t> encode_fixed_value(const Column& column, const Value& value);

// The bytes of a row of `table`. `values[i]` belongs to `table.columns[i]`.
// Text and Binary values are stored as they are (lengths are checked by the
// caller); Memo and OLE columns take their stored field (the long-value
// header and any inline data) from `long_value_fields[i]`, a null value has
// none. Throws WriteRefused (Conversion) for a value of the wrong type and
// Error for a row longer than kMaxRowLength.
std::vector<std::uint8_t> encode_row(
    const TableDefinition& table, std::span<const Value> values,
    std::span<const std::optional<std::vector<std::uint8_t>>> long_value_fields);

}  // namespace jet
