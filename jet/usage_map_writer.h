// Changing usage maps: adding a page to the set a map holds, or removing it.
// The layout of the map rows is described in usage_map_format.h.
#pragma once

#include <cstdint>

#include "jet/page.h"
#include "jet/page_allocator.h"
#include "jet/pager.h"

namespace jet {

// The data pointer of the global usage map: page 1, row 0. Its bits have the
// opposite meaning (a set bit marks a free page).
constexpr std::uint32_t kGlobalUsageMap = 1u << 8;

// Adds `page` to the map stored at `map_pointer` (a data pointer to its row).
// An inline map whose range does not reach the page is lengthened in place
// (its row grows and the rows below it on the holder page move down); when
// its holder page has no room for that, it becomes a reference map whose
// bitmap pages come from `allocator`. Throws FormatError when the map row is
// damaged. The pager must be in a change.
void add_page_to_map(Pager& pager, PageAllocator& allocator, std::uint32_t map_pointer,
                     PageNumber page);

// Removes `page` from the map; a page outside the map's range is not in it.
void remove_page_from_map(Pager& pager, PageAllocator& allocator, std::uint32_t map_pointer,
                          PageNumber page);

// True when the map holds the page.
bool map_contains(Pager& pager, std::uint32_t map_pointer, PageNumber page);

// The global map: a set bit marks a free page. Pages outside its range count
// as in use.
void mark_page_free(Pager& pager, PageAllocator& allocator, PageNumber page);
void mark_page_used(Pager& pager, PageAllocator& allocator, PageNumber page);

}  // namespace jet
