// The pager behind an open Database, for the engine's own code (the table
// writer, the consistency check, the properties and relationships readers)
// that reads and writes pages of it directly. The public Database does not
// hand it out.
#pragma once

#include "jet/database.h"
#include "jet/pager.h"

namespace jet {

Pager& pager_of(Database& db);

}  // namespace jet
