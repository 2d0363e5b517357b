// Inserting rows into a table: every refusal is decided before any byte of
// the file changes, then the long values, the row, its data page, every real
// index and the table definition's counts are written as one change of pages.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jet/database.h"
#include "jet/index_writer.h"
#include "jet/page.h"
#include "jet/page_allocator.h"
#include "jet/properties.h"
#include "jet/relationships.h"
#include "jet/table_definition.h"
#include "jet/value.h"

namespace jet {

class TableWriter {
  public:
    // The database must be open for writing. Throws WriteRefused naming the
    // index when the table has a text index under a sort order whose keys the
    // engine cannot build (UnsupportedSortOrder), or naming the table or
    // column when either has a validation rule (ValidationRule); Error when
    // the table does not exist.
    TableWriter(Database& db, std::string_view table_name);
    ~TableWriter();
    // Its index writers and cursors refer to its own table definition.
    TableWriter(const TableWriter&) = delete;
    TableWriter& operator=(const TableWriter&) = delete;

    // The table's definition, its counts (rows, last autonumber, distinct
    // keys per index) including every row this writer inserted.
    const TableDefinition& table() const { return table_; }

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
    struct PreparedRow;

    // Takes the values out of `values`.
    PreparedRow prepare(std::vector<std::optional<Value>>& values);
    void check_constraints(const PreparedRow& row);
    RowPointer write(PreparedRow& row);
    PageNumber page_for_row(std::size_t length);

    Database& db_;
    TableDefinition table_;
    std::vector<ColumnProperties> column_properties_;  // one per column
    std::vector<Relationship> relationships_;          // enforced, this table referencing
    bool has_long_value_columns_ = false;              // Memo or OLE
    PageAllocator allocator_;
    // One each per real index, in table_.real_indexes order, kept so that
    // their buffers serve every row.
    std::vector<std::unique_ptr<IndexWriter>> index_writers_;
    // The data page new rows go to while it has room; 0 = look it up.
    PageNumber current_page_ = 0;
    bool current_page_known_ = false;
};

}  // namespace jet
