#include "songdb/path_comparison.h"

#include <cstdint>

namespace songdb {
namespace {

bool is_windows_path(std::string_view path) {
#ifdef _WIN32
    (void)path;
    return true;
#else
    const bool drive_letter =
        path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return drive_letter || path.starts_with("\\\\");
#endif
}

// The upper-case partner of a lower-case letter of the Latin, Greek and
// Cyrillic alphabets; any other character unchanged.
char32_t upper_case(char32_t c) {
    if ((c >= U'a' && c <= U'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) ||
        (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) || (c >= 0x430 && c <= 0x44F)) {
        return c - 0x20;
    }
    if (c == 0xFF) {
        return 0x178;
    }
    // The Greek small letters with tonos, whose capitals lie apart.
    if (c == 0x3AC) {
        return 0x386;
    }
    if (c >= 0x3AD && c <= 0x3AF) {
        return c - 0x25;
    }
    if (c == 0x3CC) {
        return 0x38C;
    }
    if (c == 0x3CD || c == 0x3CE) {
        return c - 0x3F;
    }
    if (c >= 0x450 && c <= 0x45F) {
        return c - 0x50;
    }
    // Latin Extended-A pairs its capitals and small letters as even and odd
    // code points, and as odd and even ones from U+0139 to U+0148 and from
    // U+0179 to U+017E.
    const bool odd_capitals = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 &&
        c != 0x17F) {
        const bool small = odd_capitals ? (c % 2 == 0) : (c % 2 == 1);
        return small ? c - 1 : c;
    }
    return c;
}

// `text` with the letters that have case in upper case. Every letter with a
// partner here lies below U+0800, and so does its partner, so only two-byte
// sequences are decoded and re-encoded; everything else is copied.
std::string upper_cased(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto lead = static_cast<std::uint8_t>(text[i]);
        if (lead < 0x80) {
            out += static_cast<char>(upper_case(lead));
            continue;
        }
        const bool two_bytes = (lead & 0xE0) == 0xC0 && i + 1 < text.size() &&
                               (static_cast<std::uint8_t>(text[i + 1]) & 0xC0) == 0x80;
        const char32_t c = two_bytes ? (static_cast<char32_t>(lead & 0x1F) << 6) |
                                           (static_cast<std::uint8_t>(text[i + 1]) & 0x3F)
                                     : 0;
        if (c < 0x80) {
            out += text[i];
            continue;
        }
        const char32_t upper = upper_case(c);
        out += static_cast<char>(0xC0 | (upper >> 6));
        out += static_cast<char>(0x80 | (upper & 0x3F));
        ++i;
    }
    return out;
}

}  // namespace

std::string path_comparison_key(std::string_view path) {
    if (!is_windows_path(path)) {
        return std::string(path);
    }
    std::string key = upper_cased(path);
    for (char& c : key) {
        if (c == '/') {
            c = '\\';
        }
    }
    return key;
}

bool same_native_name(std::string_view a, std::string_view b) {
#ifdef _WIN32
    return path_comparison_key(a) == path_comparison_key(b);
#else
    return a == b;
#endif
}

}  // namespace songdb
