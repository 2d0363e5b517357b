// Reading the catalogue from the file through the pager, when a database is
// opened. The entries' type is in catalogue.h.
#pragma once

#include <vector>

#include "jet/catalogue.h"
#include "jet/codepage.h"
#include "jet/pager.h"

namespace jet {

// Every row of MSysObjects, whose definition sits on page 2.
std::vector<CatalogueEntry> read_catalogue(Pager& pager, const CodePage& code_page);

}  // namespace jet
