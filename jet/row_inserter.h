// The engine's side of TableWriter (table_writer.h): the state an insert
// works with (the table's definition and counts, its column properties and
// enforced relationships, an index writer per real index, the page allocator
// and the data page rows go to) and the steps of an insert. Kept out of the
// public header so that the writer's users see none of the engine's page
// machinery; a TableWriter holds one and hands each call to it.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
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

class RowInserter {
  public:
    // As TableWriter's constructor, with the same refusals.
    RowInserter(Database& db, std::string_view table_name);
    ~RowInserter();
    // Its index writers and cursors refer to its own table definition.
    RowInserter(const RowInserter&) = delete;
    RowInserter& operator=(const RowInserter&) = delete;

    const TableDefinition& table() const { return table_; }
    std::size_t column_position(std::string_view name) const;
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
