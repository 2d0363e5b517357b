// Text keys under the Access 97 "General" sort order (sort order number 1033).
//
// Access 97 builds a text index key from the code-page bytes of the value with
// one 256-entry weight table: letters fold case, accents go into a compact
// list of nibbles after the letters, trailing spaces are dropped. Other sort
// orders (Thai 1054 and the rest) used the operating system's collation and
// cannot be reproduced, so they are recognised by number only.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace jet {

// The sort order number of "General", as the header and the columns store it.
inline constexpr int kGeneralSortOrder = 1033;

// Raised when a text key is asked for under a sort order the engine cannot build.
class SortOrderError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// True for the sort orders whose text keys this engine builds (General only).
bool sort_order_supported(int sort_order);

// A person-readable name for a sort order number, e.g. "General (1033)",
// "Thai (1054)", "sort order 1049".
std::string sort_order_name(int sort_order);

// Throws SortOrderError naming the sort order when it is not supported; `what`
// says what needed the key (e.g. "text index \"Name\" of table \"Customers\"").
void require_sort_order_supported(int sort_order, std::string_view what);

// Appends the ascending General key of these code-page bytes (without the
// column's start byte): weights of at most the first 255 bytes after trailing
// spaces are removed, then the accent nibbles or a single 0x00.
void append_general_text_key(std::vector<std::uint8_t>& out, std::string_view bytes);

}  // namespace jet
