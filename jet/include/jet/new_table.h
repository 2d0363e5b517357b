// A table as create_database (create_database.h) is asked to make it: its
// columns and indexes as data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/table_definition.h"
#include "jet/value.h"

namespace jet {

struct NewColumn {
    std::string name;  // ASCII
    ColumnType type = ColumnType::Text;
    std::uint16_t size = 0;  // maximum bytes of Text and Binary; others follow from the type
    std::uint8_t flags = 0;  // Column::kFixed, kLongAutonumber, ...
};

// An index of its own real index; columns are ascending.
struct NewIndex {
    std::string name;  // ASCII
    std::vector<std::uint16_t> column_numbers;
    std::uint8_t flags = 0;  // RealIndex::kUnique, kIgnoreNulls, kRequired
    IndexKind kind = IndexKind::Other;
};

struct NewTable {
    std::string name;  // ASCII
    std::uint8_t table_type = TableDefinition::kUserTable;
    std::vector<NewColumn> columns;  // column numbers follow the order
    std::vector<NewIndex> indexes;   // real index numbers follow the order
    // The unread field after each column's variable slot: Access writes the
    // column number there in most tables it makes, 0 in most columns of the
    // engine's own.
    bool column_number_twice = true;
};

}  // namespace jet
