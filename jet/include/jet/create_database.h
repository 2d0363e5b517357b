// Creating a new Access 97 database that holds one empty user table, laid
// out as the caller defines it (new_table.h). The pages of the new file are
// made by the engine's own code in jet/create/.
#pragma once

#include <filesystem>
#include <optional>

#include "jet/file_system.h"
#include "jet/new_table.h"
#include "jet/value.h"

namespace jet {

struct CreateOptions {
    // When the objects were made, as their catalogue rows record it; empty =
    // now, in local time as Access records it.
    std::optional<DateTime> created;
    // Where the file is written.
    FileSystem* file_system = &native_file_system();
};

// Makes the file `path`: the header, the global usage map, the system tables
// MSysObjects, MSysACEs, MSysQueries and MSysRelationships with their rows
// (containers, the database object and its properties, permissions), and
// `table`, the one user table, empty. Throws Error when the file exists (it
// is left untouched) or cannot be written; a file it began is removed again.
void create_database(const std::filesystem::path& path, const NewTable& table,
                     const CreateOptions& options = {});

}  // namespace jet
