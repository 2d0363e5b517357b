// Table definitions of a new database: a table's columns and indexes as data,
// and the definition page that describes them (the inverse of
// read_table_definition for a table whose definition fits one page). The
// page's layout is in table_definition_format.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/page.h"
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
    std::uint8_t table_type = table_definition_format::kUserTable;
    std::vector<NewColumn> columns;  // column numbers follow the order
    std::vector<NewIndex> indexes;   // real index numbers follow the order
    // The unread field after each column's variable slot: Access writes the
    // column number there in most tables it makes, 0 in most columns of the
    // engine's own.
    bool column_number_twice = true;
};

// Where the table's structures are: usage-map rows (data pointers) and roots.
struct TablePlacement {
    PageNumber definition_page = 0;
    std::uint32_t owned_pages_map = 0;
    std::uint32_t free_pages_map = 0;
    std::vector<std::uint32_t> index_maps;  // one per index
    std::vector<PageNumber> index_roots;    // one per index
    std::vector<LongValueMaps> long_value_maps;
};

// Writes the whole definition page. Throws std::logic_error when the
// definition does not fit one page or the placement does not match the table.
void build_table_definition_page(Page& page, const NewTable& table,
                                 const TablePlacement& placement);

}  // namespace jet
