// Reading a table's rows: all of them in page order, or one by its pointer.
#pragma once

#include <functional>
#include <vector>

#include "jet/database.h"
#include "jet/page.h"
#include "jet/pager.h"
#include "jet/table_definition.h"
#include "jet/value.h"

namespace jet {

// As RowCallback (database.h), returning whether the scan goes on to the next
// row.
using RowWhileCallback = std::function<bool(RowPointer, const std::vector<Value>&)>;

// Calls `callback` for every live row of the table, in the order of its data
// pages and slots. A row moved to another page is reported at its original
// slot, the place indexes point to.
void scan_table(Pager& pager, const TableDefinition& table, const RowCallback& callback);

// The same scan, ending after the first call that returns false.
void scan_table_while(Pager& pager, const TableDefinition& table, const RowWhileCallback& callback);

// The row at `at`, following the pointer of a moved row. Throws FormatError
// when the slot is deleted, not a row of this table, or damaged.
std::vector<Value> fetch_row(Pager& pager, const TableDefinition& table, RowPointer at);

}  // namespace jet
