// Writing long values (Memo, OLE): the field a row stores for them, with the
// data inline or in long-value rows on the column's own pages. The layout is
// described at the top of long_value.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "jet/page_allocator.h"
#include "jet/pager.h"
#include "jet/table_definition.h"

namespace jet {

// The longest value kept inline in its row, as Access keeps short memos.
constexpr std::size_t kMaxInlineLongValue = 32;
// The most bytes a long value may have (its length field has 30 bits).
constexpr std::size_t kMaxLongValueLength = 0x3FFFFFFF;

// The field of a value stored inline: the header and the data.
std::vector<std::uint8_t> inline_long_value_field(std::span<const std::uint8_t> data);

// Stores the data in long-value rows of `column` (one row when it fits on a
// page, else a chain of rows) and returns the field that points to them.
// Pages come from the column's pages with free space, else from `allocator`,
// and are recorded in the column's usage maps. The pager must be in a change.
// Throws Error when the table keeps no usage maps for the column.
std::vector<std::uint8_t> write_long_value(Pager& pager, PageAllocator& allocator,
                                           const TableDefinition& table, const Column& column,
                                           std::span<const std::uint8_t> data);

}  // namespace jet
