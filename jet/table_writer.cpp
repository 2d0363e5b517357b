// TableWriter hands each call to its RowInserter (row_inserter.h): one
// pointer away, with nothing allocated per row.
#include "jet/table_writer.h"

#include <utility>

#include "jet/row_inserter.h"

namespace jet {

TableWriter::TableWriter(Database& db, std::string_view table_name)
    : inserter_(std::make_unique<RowInserter>(db, table_name)) {}

TableWriter::~TableWriter() = default;

const TableDefinition& TableWriter::table() const {
    return inserter_->table();
}

std::size_t TableWriter::column_position(std::string_view name) const {
    return inserter_->column_position(name);
}

RowPointer TableWriter::insert(std::vector<std::optional<Value>> values) {
    return inserter_->insert(std::move(values));
}

}  // namespace jet
