// One real index: its tree walked page by page and its entries compared with
// the keys recomputed from the table's rows.
#pragma once

#include <optional>
#include <vector>

#include "jet/check.h"
#include "jet/check/log.h"
#include "jet/check/rows.h"
#include "jet/pager.h"
#include "jet/table_definition.h"

namespace jet {

// `map_pages` are the pages of the index's usage map (ascending), or nothing
// when the map could not be read. Adds the index and its entries to `summary`.
void check_index(Pager& pager, const TableDefinition& table, const RealIndex& index,
                 const std::optional<std::vector<PageNumber>>& map_pages, const TableRows& rows,
                 FindingLog& log, CheckSummary& summary);

}  // namespace jet
