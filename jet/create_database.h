// Creating a new, empty Access 97 database that holds the song table.
#pragma once

#include <filesystem>
#include <optional>

#include "jet/value.h"

namespace jet {

struct CreateOptions {
    // When the objects were made, as their catalogue rows record it; empty =
    // now, in local time as Access records it.
    std::optional<DateTime> created;
};

// Makes the file `path`: the header, the global usage map, the system tables
// MSysObjects, MSysACEs, MSysQueries and MSysRelationships with their rows
// (containers, the database object and its properties, permissions), and
// the empty table Song. Throws Error when the file exists (it is left
// untouched) or cannot be written; a file it began is removed again.
void create_database(const std::filesystem::path& path, const CreateOptions& options = {});

}  // namespace jet
