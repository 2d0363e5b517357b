// Reading a usage map for the consistency check: damage becomes findings
// instead of exceptions, and bits for pages past the end of the file are
// counted rather than refused (the global map marks them free on purpose).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "jet/check/log.h"
#include "jet/pager.h"

namespace jet {

struct UsageMapContents {
    PageNumber holder = 0;                 // the data page that holds the map row
    std::vector<PageNumber> bitmap_pages;  // a reference map's bitmap pages
    std::vector<PageNumber> pages;         // pages inside the file whose bit is set, ascending
    std::uint64_t first_covered = 0;       // first page the map can describe
    std::uint64_t end_covered = 0;         // one past the last page it can describe
    std::uint64_t set_past_end = 0;        // set bits for pages past the end of the file
};

// The map stored at the data pointer `map_row`. Reports an error and returns
// nothing when the pointer, the holder page, the row or a bitmap page is not
// what a usage map needs.
std::optional<UsageMapContents> read_checked_usage_map(Pager& pager, std::uint32_t map_row,
                                                       const std::string& structure,
                                                       FindingLog& log);

}  // namespace jet
