// Index keys: the bytes an index entry holds for a row's indexed values. The
// bytes of each column type are described at the top of index_key.cpp.
//
// Keys compare as unsigned bytes (memcmp order, a shorter key that is a
// prefix of a longer one first), so that comparing keys orders rows the way
// the index does.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "jet/general_sort.h"
#include "jet/value.h"

namespace jet {

// Raised when a value cannot be put into a key: its variant does not match
// the column type, the column type cannot be indexed, or the text sort order
// is not supported.
class IndexKeyError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// What the key encoding needs to know of one column of an index.
struct IndexKeyColumn {
    ColumnType type = ColumnType::Long;
    bool ascending = true;
    int sort_order = kGeneralSortOrder;  // text columns only
    std::string name;                    // for error messages
};

// Appends one column's key bytes: a null gives 0x00 (ascending) or 0xFF
// (descending); any other value a start byte 0x7F / 0x80 and the value bytes.
void append_column_key(std::vector<std::uint8_t>& key, const IndexKeyColumn& column,
                       const Value& value);

// The key of a whole row: every column's key bytes in index-column order.
// `values[i]` is the value of `columns[i]`.
std::vector<std::uint8_t> encode_index_key(std::span<const IndexKeyColumn> columns,
                                           std::span<const Value> values);

// memcmp order of two keys: negative, zero or positive.
int compare_keys(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b);

}  // namespace jet
