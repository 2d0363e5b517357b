// Usage maps: the sets of pages that a table, an index or a long-value column owns.
// The layout of the map rows is described in usage_map_format.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/page.h"
#include "jet/pager.h"

namespace jet {

// The pages whose bit is set in the map stored at `map_row` (a data pointer),
// in ascending order. `what` names the map's owner for error messages. Every
// page is checked to lie inside the file.
std::vector<PageNumber> read_usage_map(Pager& pager, std::uint32_t map_row,
                                       const std::string& what);

}  // namespace jet
