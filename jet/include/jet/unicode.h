// UTF-8 and UTF-16: the texts the program holds are UTF-8; Windows names,
// arguments and messages, and some lyric files, are UTF-16.
//
//   UTF-8   one to four bytes a character: 0xxxxxxx, 110xxxxx 10xxxxxx,
//           1110xxxx 10xxxxxx 10xxxxxx, 11110xxx 10xxxxxx 10xxxxxx 10xxxxxx;
//           valid only in its shortest form, below U+110000 and outside the
//           surrogates U+D800-U+DFFF
//   UTF-16  one 16-bit unit a character below U+10000; above it, a pair of a
//           high surrogate (D800-DBFF) and a low one (DC00-DFFF). A surrogate
//           without its partner is a lone surrogate, which no UTF-8 can hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace jet {

constexpr char32_t kReplacementCharacter = 0xFFFD;

inline bool is_high_surrogate(char32_t unit) {
    return unit >= 0xD800 && unit < 0xDC00;
}

inline bool is_low_surrogate(char32_t unit) {
    return unit >= 0xDC00 && unit < 0xE000;
}

// The character a high and a low surrogate stand for together.
inline char32_t surrogate_pair_character(char32_t high, char32_t low) {
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

// Adds the UTF-8 bytes of character c to out.
inline void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The character whose UTF-8 starts at text[pos], with pos moved past it.
// Nothing, and pos left alone, when the bytes there are no valid UTF-8: a
// truncated or over-long sequence, a surrogate or a value past U+10FFFF.
inline std::optional<char32_t> next_utf8(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<std::uint8_t>(text[pos]);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    std::size_t length;
    char32_t c;
    char32_t smallest;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        c = lead & 0x1F;
        smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        c = lead & 0x0F;
        smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        c = lead & 0x07;
        smallest = 0x10000;
    } else {
        return std::nullopt;
    }
    if (text.size() - pos < length) {
        return std::nullopt;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<std::uint8_t>(text[pos + i]);
        if ((next & 0xC0) != 0x80) {
            return std::nullopt;
        }
        c = (c << 6) | (next & 0x3F);
    }
    if (c < smallest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return std::nullopt;
    }
    pos += length;
    return c;
}

bool is_valid_utf8(std::string_view text);

// Adds the UTF-8 of UTF-16 text to out, each lone surrogate as U+FFFD.
// False when there was a lone surrogate.
bool append_utf8_of_utf16(std::string& out, std::u16string_view text);

// The UTF-8 of UTF-16 text, each lone surrogate as U+FFFD.
std::string utf8_of_utf16(std::u16string_view text);

// Adds the UTF-16 of UTF-8 text to out, each byte that is not part of valid
// UTF-8 as U+FFFD.
void append_utf16_of_utf8(std::u16string& out, std::string_view text);

#ifdef _WIN32
// The same for Windows' wide text, whose wchar_t is a UTF-16 unit.
bool append_utf8_of_utf16(std::string& out, std::wstring_view text);
std::string utf8_of_utf16(std::wstring_view text);
void append_utf16_of_utf8(std::wstring& out, std::string_view text);
#endif

}  // namespace jet
