// Rows: the bytes of one table row decoded into column values. The row
// layout is described at the top of row.cpp.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "jet/page.h"
#include "jet/pager.h"
#include "jet/table_definition.h"
#include "jet/value.h"

namespace jet {

// The row's values in the order of `table.columns`. Memo and OLE values are
// read through the pager. `where` is the row's place, for error messages.
std::vector<Value> decode_row(Pager& pager, const TableDefinition& table,
                              std::span<const std::uint8_t> row, RowPointer where);

}  // namespace jet
