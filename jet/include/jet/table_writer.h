// Inserting rows into a table: every refusal is decided before any byte of
// the file changes, then the long values, the row, its data page, every real
// index and the table definition's counts are written as one change of pages.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "jet/database.h"
#include "jet/row_pointer.h"
#include "jet/table_definition.h"
#include "jet/value.h"

namespace jet {

class RowInserter;

class TableWriter {
  public:
    // The database must be open for writing. Throws WriteRefused naming the
    // index when the table has a text index under a sort order whose keys the
    // engine cannot build (UnsupportedSortOrder), or naming the table or
    // column when either has a validation rule (ValidationRule); Error when
    // the table does not exist.
    TableWriter(Database& db, std::string_view table_name);
    ~TableWriter();
    TableWriter(const TableWriter&) = delete;
    TableWriter& operator=(const TableWriter&) = delete;

    // The table's definition, its counts (rows, last autonumber, distinct
    // keys per index) including every row this writer inserted.
    const TableDefinition& table() const;

    // The position in table().columns of the column with this name (ASCII
    // case-insensitive); throws WriteRefused (MissingColumn) naming it.
    std::size_t column_position(std::string_view name) const;

    // Inserts a row; `values[i]` is for table().columns[i], and a column left
    // unset (nullopt, or missing at the end) takes its literal default value,
    // else null (No for a Yes/No column). The database numbers its AutoNumber
    // columns: a Long one takes the table's next number, a Replication ID one
    // a new random ID; a value other than null given for either is refused
    // (AutoNumber). Throws WriteRefused naming the column or index, with the
    // file unchanged, when the row cannot be stored; returns where the row went.
    RowPointer insert(std::vector<std::optional<Value>> values);

  private:
    // The writer itself (row_inserter.h): its copy of the table definition,
    // its index writers and its page allocator.
    std::unique_ptr<RowInserter> inserter_;
};

}  // namespace jet
