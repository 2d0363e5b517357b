// Long values: the data of Memo and OLE columns, read from the field a row
// stores for them. The layout is described at the top of long_value.cpp.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "jet/pager.h"

namespace jet {

// The bytes of the long value whose 12-byte header (and inline data) is
// `field`, the column's bytes in its row. `what` names the column for errors.
std::vector<std::uint8_t> read_long_value(Pager& pager, std::span<const std::uint8_t> field,
                                          const std::string& what);

}  // namespace jet
