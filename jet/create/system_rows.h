// The rows a new database holds from birth: the catalogue's containers, the
// database object and the tables, and the permission rows of MSysACEs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/page.h"
#include "jet/value.h"

namespace jet {

// One row of MSysObjects; the columns not named here are null.
struct CatalogueRow {
    std::int32_t id = 0;
    std::int32_t parent_id = 0;
    std::string name;  // ASCII
    std::int16_t type = 0;
    std::vector<std::uint8_t> owner;  // the creator's SID
    std::uint32_t flags = 0;
    std::vector<std::uint8_t> properties;  // LvProp, empty for none
};

// One row of MSysACEs: what the holder of `sid` may do with the object.
struct PermissionRow {
    std::int32_t object_id = 0;
    std::vector<std::uint8_t> sid;
    std::int32_t access_mask = 0;
    bool inheritable = false;
};

// Catalogue rows of the engine's system tables, in definition-page order
// (MSysObjects on page 2 ... MSysRelationships on page 5).
std::vector<CatalogueRow> system_table_rows();

// The containers, the database object with its properties, and the user's
// table `name` whose definition starts on `definition_page`.
std::vector<CatalogueRow> object_rows(const std::string& table_name, PageNumber definition_page);

// The permission rows of every object above, as Access 97 gives them to the
// built-in users and groups.
std::vector<PermissionRow> permission_rows(PageNumber table_definition_page);

}  // namespace jet
