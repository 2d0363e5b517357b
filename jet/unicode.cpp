#include "jet/unicode.h"

namespace jet {
namespace {

template <typename Unit>
bool append_utf8_of(std::string& out, std::basic_string_view<Unit> text) {
    bool valid = true;
    out.reserve(out.size() + text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<std::uint16_t>(text[i]);
        if (is_high_surrogate(c) && i + 1 < text.size() &&
            is_low_surrogate(static_cast<std::uint16_t>(text[i + 1]))) {
            c = surrogate_pair_character(c, static_cast<std::uint16_t>(text[++i]));
        } else if (is_high_surrogate(c) || is_low_surrogate(c)) {
            c = kReplacementCharacter;
            valid = false;
        }
        append_utf8(out, c);
    }
    return valid;
}

// UTF-16 never takes more units than UTF-8 takes bytes.
template <typename Unit>
void append_utf16_of(std::basic_string<Unit>& out, std::string_view text) {
    out.reserve(out.size() + text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::optional<char32_t> c = next_utf8(text, pos);
        if (!c) {
            out += static_cast<Unit>(kReplacementCharacter);
            ++pos;
        } else if (*c < 0x10000) {
            out += static_cast<Unit>(*c);
        } else {
            out += static_cast<Unit>(0xD800 + ((*c - 0x10000) >> 10));
            out += static_cast<Unit>(0xDC00 + ((*c - 0x10000) & 0x3FF));
        }
    }
}

}  // namespace

bool is_valid_utf8(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (!next_utf8(text, pos)) {
            return false;
        }
    }
    return true;
}

bool append_utf8_of_utf16(std::string& out, std::u16string_view text) {
    return append_utf8_of(out, text);
}

std::string utf8_of_utf16(std::u16string_view text) {
    std::string out;
    append_utf8_of(out, text);
    return out;
}

void append_utf16_of_utf8(std::u16string& out, std::string_view text) {
    append_utf16_of(out, text);
}

#ifdef _WIN32
bool append_utf8_of_utf16(std::string& out, std::wstring_view text) {
    return append_utf8_of(out, text);
}

std::string utf8_of_utf16(std::wstring_view text) {
    std::string out;
    append_utf8_of(out, text);
    return out;
}

void append_utf16_of_utf8(std::wstring& out, std::string_view text) {
    append_utf16_of(out, text);
}
#endif

}  // namespace jet
