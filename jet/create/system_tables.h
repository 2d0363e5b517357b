// The engine's four system tables of a new database, as data: the columns
// and indexes Access 97 gives them.
#pragma once

#include <vector>

#include "jet/create/table_definition.h"

namespace jet {

// MSysObjects, MSysACEs, MSysQueries, MSysRelationships, in this order: their
// definitions go to pages 2 to 5.
std::vector<NewTable> system_tables();

}  // namespace jet
