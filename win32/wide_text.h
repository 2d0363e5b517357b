// The window object's texts are UTF-8; the Win32 API's are UTF-16. These two
// conversions are the only place where one turns into the other.
#pragma once

#include <string>
#include <string_view>

namespace listsong_win32 {

// UTF-16 of a UTF-8 text; a byte that is no valid UTF-8 becomes U+FFFD.
std::wstring utf16_of(std::string_view utf8);

// UTF-8 of a UTF-16 text. Throws std::invalid_argument when it holds a lone
// surrogate, which no UTF-8 text can hold.
std::string utf8_of(std::wstring_view utf16);

}  // namespace listsong_win32
