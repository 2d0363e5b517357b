// The definition page of a new table (the inverse of read_table_definition
// for a table whose definition fits one page), from the table's description
// (new_table.h) and where its structures were placed. The page's layout is in
// table_definition_format.h.
#pragma once

#include <cstdint>
#include <vector>

#include "jet/new_table.h"
#include "jet/page.h"
#include "jet/table_definition.h"

namespace jet {

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
