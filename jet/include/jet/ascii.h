// Case of the ASCII letters alone, whatever the locale: names the file
// format and the program compare without regard to case (tables, columns,
// properties) match A-Z with a-z and every other byte only with itself.
#pragma once

#include <algorithm>
#include <string_view>

namespace jet {

inline char ascii_lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

inline bool ascii_iequal(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return ascii_lower(x) == ascii_lower(y); });
}

}  // namespace jet
