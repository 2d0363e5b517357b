// The consistency check's look at one data page (check.h): its header, row
// offset table and free space, checked before its rows are read. The page
// layout is described in data_page_format.h.
#pragma once

#include <string>

#include "jet/check/log.h"
#include "jet/page.h"

namespace jet {

// Reports every fault of the page's header and row offset table. Returns
// false when the offset table is too damaged for its rows to be read.
bool check_data_page_layout(const Page& page, PageNumber number, const std::string& structure,
                            FindingLog& log);

}  // namespace jet
