// The pager behind an open Database, for the engine's own code that reads
// and writes its pages directly (inserting rows, the consistency check, the
// index lookups that enforce relationships) and for the engine's tests and
// fuzzers. The public Database does not hand it out.
#pragma once

#include "jet/database.h"
#include "jet/pager.h"

namespace jet {

Pager& pager_of(Database& db);

}  // namespace jet
