// Page allocation: the global usage map (page 1, row 0) says which pages of
// the file are free; a new page reuses the lowest of them, and only when
// there is none does the file grow by one page.
#pragma once

#include <cstdint>

#include "jet/page.h"
#include "jet/pager.h"

namespace jet {

class PageAllocator {
  public:
    // The pager must be in a change whenever allocate() or release() runs.
    explicit PageAllocator(Pager& pager) : pager_(pager) {}

    // A page for `owner_tdef` (the definition page of the owning table; 0 for
    // usage-map pages): a free page of the file, else a new page at its end.
    // Its bit in the global map is cleared and the page is initialised as an
    // empty page of `type`: data pages with free space 2038 and no rows
    // (`owner_tdef` as owner), index pages as an empty leaf or intermediate
    // page of that table, bitmap pages as an empty bitmap. The caller adds
    // the page to its owner's usage map (usage_map_writer.h).
    PageNumber allocate(PageType type, PageNumber owner_tdef);

    // Marks the page free in the global map; the caller has taken it out of
    // its owner's maps.
    void release(PageNumber page);

    Pager& pager() { return pager_; }

  private:
    Pager& pager_;
};

}  // namespace jet
