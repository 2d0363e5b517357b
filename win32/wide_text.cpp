#include "win32/wide_text.h"

#include <stdexcept>

#include "jet/unicode.h"

namespace listsong_win32 {

std::wstring utf16_of(std::string_view utf8) {
    std::wstring text;
    jet::append_utf16_of_utf8(text, utf8);
    return text;
}

std::string utf8_of(std::wstring_view utf16) {
    std::string text;
    if (!jet::append_utf8_of_utf16(text, utf16)) {
        throw std::invalid_argument("the text is not valid Unicode (it holds a lone surrogate)");
    }
    return text;
}

}  // namespace listsong_win32
