// The catalogue: the rows of MSysObjects, one per database object, as
// Database::catalogue() hands them out. Reading them is catalogue_reader.h's.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace jet {

struct CatalogueEntry {
    std::int32_t id = 0;  // for tables: the first page of the table definition
    std::int32_t parent_id = 0;
    std::string name;  // UTF-8
    std::int16_t type = 0;
    std::uint32_t flags = 0;

    static constexpr std::int16_t kLocalTable = 1;
    static constexpr std::uint32_t kSystemFlags = 0x80000002u;

    // A table the user made: local, not a system object, not named MSys….
    bool user_table() const;
};

}  // namespace jet
