// Every row of one table: its slots, its decoding, the row count and the
// autonumber, and the index entries each row calls for.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "jet/check/log.h"
#include "jet/pager.h"
#include "jet/table_definition.h"

namespace jet {

struct ExpectedIndexEntry {
    std::vector<std::uint8_t> key;
    RowPointer row;
};

struct TableRows {
    std::vector<RowPointer> live_rows;        // ascending; rows that failed to decode included
    std::vector<RowPointer> unreadable_rows;  // ascending; their keys are unknown
    // Per real index, the entries the rows call for, or nothing when the
    // keys could not be computed (a text sort order the engine lacks).
    std::vector<std::optional<std::vector<ExpectedIndexEntry>>> index_entries;
};

// `data_pages` are the pages of the table's owned-pages map that are data
// pages of this table, ascending.
TableRows check_table_rows(Pager& pager, const TableDefinition& table,
                           const std::vector<PageNumber>& data_pages, FindingLog& log);

}  // namespace jet
