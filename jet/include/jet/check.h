// Consistency check of a whole database file: which structure owns each page,
// the layout of every data page, every row, the row counts and autonumbers,
// and every index tree compared with the keys recomputed from the rows.
// This is the check's whole public face; the checks of each structure are in
// jet/check/.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "jet/database.h"
#include "jet/row_pointer.h"

namespace jet {

enum class Severity { Warning, Error };

// One thing the check found wrong. Warnings are departures from the format's
// ideal that files written by Access show too (leaked pages, maps that do not
// resolve on system tables); errors are damage.
struct Finding {
    Severity severity = Severity::Error;
    std::optional<PageNumber> page;  // the page the finding is about, when there is one
    std::string structure;           // e.g. "index 'PrimaryKey' of table 'Customers'"
    std::string message;
};

struct CheckSummary {
    std::size_t tables = 0;
    std::size_t pages = 0;
    std::size_t rows = 0;
    std::size_t indexes = 0;
    std::size_t index_entries = 0;
    std::size_t errors = 0;
    std::size_t warnings = 0;
};

struct CheckReport {
    std::vector<Finding> findings;
    CheckSummary summary;

    bool ok() const { return summary.errors == 0; }
};

// Checks every table the catalogue lists (system tables included), the global
// usage map and every page's ownership. Never throws for damage in the file:
// damage becomes findings. Time and memory grow with the file's size.
CheckReport check_database(Database& db);

// "error: page 37: index 'PrimaryKey' of table 'Customers': entry 12 out of order"
std::string format_finding(const Finding& finding);

}  // namespace jet
