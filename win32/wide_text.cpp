#include "win32/wide_text.h"

#include <windows.h>

#include <limits>
#include <stdexcept>

namespace listsong_win32 {

namespace {

int length_of(std::size_t size) {
    if (size > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw std::length_error("A text of " + std::to_string(size) +
                                " characters is too long for Windows");
    }
    return static_cast<int>(size);
}

}  // namespace

std::wstring utf16_of(std::string_view utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int length = length_of(utf8.size());
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, text.data(), size);
    return text;
}

std::string utf8_of(std::wstring_view utf16) {
    if (utf16.empty()) {
        return {};
    }
    const int length = length_of(utf16.size());
    const int size = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, utf16.data(), length,
                                         nullptr, 0, nullptr, nullptr);
    if (size == 0) {
        throw std::invalid_argument("the text is not valid Unicode (it holds a lone surrogate)");
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, utf16.data(), length, text.data(), size,
                        nullptr, nullptr);
    return text;
}

}  // namespace listsong_win32
