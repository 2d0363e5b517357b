// The order of names and the pattern match that every folder list and file
// list shares, so that the update pairs their entries by position.
#pragma once

#include <string_view>

namespace window {

// The one order of entries that every folder list and file list uses: names
// ascending without regard to the case of ASCII letters; other characters by
// code point (UTF-8 byte order). Names equal in that comparison are ordered by
// their exact bytes, so the order is total.
bool name_before(std::string_view a, std::string_view b);

// Whether `name` matches a file pattern such as "*.mid": '*' stands for any
// run of characters, '?' for one byte; letters match without regard to case.
bool matches_pattern(std::string_view name, std::string_view pattern);

}  // namespace window
