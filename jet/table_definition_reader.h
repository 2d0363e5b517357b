// Reading a table definition from the file through the pager: the whole
// definition when a table is first opened, and its counts again after inserts.
// The types are in table_definition.h, the byte layout in
// table_definition_format.h.
#pragma once

#include <string>

#include "jet/codepage.h"
#include "jet/page.h"
#include "jet/pager.h"
#include "jet/table_definition.h"

namespace jet {

// Reads the definition starting at `page`, following continuation pages.
// Names are converted from `code_page` to UTF-8. Throws FormatError naming the
// page and the table.
TableDefinition read_table_definition(Pager& pager, PageNumber page, const std::string& table_name,
                                      const CodePage& code_page);

// Reads again the counts an insert changes (rows, the last autonumber, each
// real index's distinct keys) from the definition's first page.
void reread_counts(Pager& pager, TableDefinition& table);

}  // namespace jet
