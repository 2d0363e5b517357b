#include "songdb/lyric_reader.h"

#include <cstdint>
#include <fstream>
#include <optional>
#include <utility>

#include "jet/file_system.h"

namespace songdb {
namespace {

// U+FFFD in UTF-8: what the code page gives for a byte it leaves undefined.
constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

enum class Encoding { CodePage, Utf8, Utf16Le, Utf16Be };

// Reads the file's bytes one at a time through the stream's own buffer.
class ByteSource {
  public:
    ByteSource(std::ifstream& in, const std::filesystem::path& path) : in_(in), path_(path) {}

    std::optional<unsigned char> next() {
        const int c = in_.get();
        if (c == std::char_traits<char>::eof()) {
            if (in_.bad()) {
                throw LyricError(jet::path_text(path_) + ": the lyric file cannot be read");
            }
            return std::nullopt;
        }
        return static_cast<unsigned char>(c);
    }
    void put_back() { in_.unget(); }

  private:
    std::ifstream& in_;
    const std::filesystem::path& path_;
};

Encoding read_byte_order_mark(ByteSource& bytes, std::ifstream& in) {
    unsigned char mark[3] = {};
    std::size_t got = 0;
    for (; got < 3; ++got) {
        const std::optional<unsigned char> b = bytes.next();
        if (!b) {
            break;
        }
        mark[got] = *b;
    }
    auto rewind_to = [&](std::streamoff offset) {
        in.clear();
        in.seekg(offset);
    };
    if (got == 3 && mark[0] == 0xEF && mark[1] == 0xBB && mark[2] == 0xBF) {
        return Encoding::Utf8;
    }
    if (got >= 2 && mark[0] == 0xFF && mark[1] == 0xFE) {
        rewind_to(2);
        return Encoding::Utf16Le;
    }
    if (got >= 2 && mark[0] == 0xFE && mark[1] == 0xFF) {
        rewind_to(2);
        return Encoding::Utf16Be;
    }
    rewind_to(0);
    return Encoding::CodePage;
}

void append_utf8(std::string& out, char32_t c) {
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

// Reads UTF-16 code units and gives characters; a line end is looked for in
// characters, so a CR or LF byte inside another character never ends a line.
class Utf16Source {
  public:
    Utf16Source(ByteSource& bytes, bool little_endian, const std::filesystem::path& path)
        : bytes_(bytes), little_endian_(little_endian), path_(path) {}

    std::optional<char32_t> next() {
        if (held_) {
            return std::exchange(held_, std::nullopt);
        }
        const std::optional<char16_t> unit = next_unit();
        if (!unit) {
            return std::nullopt;
        }
        if (*unit >= 0xD800 && *unit < 0xDC00) {
            const std::optional<char16_t> low = next_unit();
            if (!low || *low < 0xDC00 || *low >= 0xE000) {
                throw invalid();
            }
            return 0x10000 + ((static_cast<char32_t>(*unit) - 0xD800) << 10) + (*low - 0xDC00);
        }
        if (*unit >= 0xDC00 && *unit < 0xE000) {
            throw invalid();
        }
        return *unit;
    }
    void put_back(char32_t c) { held_ = c; }

  private:
    std::optional<char16_t> next_unit() {
        const std::optional<unsigned char> first = bytes_.next();
        if (!first) {
            return std::nullopt;
        }
        const std::optional<unsigned char> second = bytes_.next();
        if (!second) {
            throw LyricError(jet::path_text(path_) +
                             ": the UTF-16 lyric file ends in half a character");
        }
        return little_endian_ ? static_cast<char16_t>(*first | (*second << 8))
                              : static_cast<char16_t>((*first << 8) | *second);
    }
    LyricError invalid() const {
        return LyricError(jet::path_text(path_) +
                          ": the UTF-16 lyric file holds an unpaired surrogate");
    }

    ByteSource& bytes_;
    bool little_endian_;
    const std::filesystem::path& path_;
    std::optional<char32_t> held_;
};

// One line of a byte encoding (UTF-8 or the code page), without its line end;
// nothing when the file is at its end.
std::optional<std::string> next_byte_line(ByteSource& bytes) {
    std::optional<unsigned char> b = bytes.next();
    if (!b) {
        return std::nullopt;
    }
    std::string line;
    for (; b; b = bytes.next()) {
        if (*b == '\n') {
            break;
        }
        if (*b == '\r') {
            const std::optional<unsigned char> after = bytes.next();
            if (after && *after != '\n') {
                bytes.put_back();
            }
            break;
        }
        line += static_cast<char>(*b);
    }
    return line;
}

std::optional<std::string> next_utf16_line(Utf16Source& chars) {
    std::optional<char32_t> c = chars.next();
    if (!c) {
        return std::nullopt;
    }
    std::string line;
    for (; c; c = chars.next()) {
        if (*c == U'\n') {
            break;
        }
        if (*c == U'\r') {
            const std::optional<char32_t> after = chars.next();
            if (after && *after != U'\n') {
                chars.put_back(*after);
            }
            break;
        }
        append_utf8(line, *c);
    }
    return line;
}

bool valid_utf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80           ? 1
                                   : (lead >> 5) == 0x06 ? 2
                                   : (lead >> 4) == 0x0E ? 3
                                   : (lead >> 3) == 0x1E ? 4
                                                         : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

}  // namespace

std::vector<std::string> read_lyric_lines(const std::filesystem::path& path,
                                          const jet::CodePage& code_page, std::size_t max_lines) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        throw LyricError(jet::path_text(path) + ": is a folder, not a lyric file");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw LyricError(jet::path_text(path) + ": the lyric file cannot be opened");
    }
    ByteSource bytes(in, path);
    const Encoding encoding = read_byte_order_mark(bytes, in);
    std::vector<std::string> lines;
    if (encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be) {
        Utf16Source chars(bytes, encoding == Encoding::Utf16Le, path);
        while (lines.size() < max_lines) {
            std::optional<std::string> line = next_utf16_line(chars);
            if (!line) {
                break;
            }
            lines.push_back(std::move(*line));
        }
        return lines;
    }
    while (lines.size() < max_lines) {
        std::optional<std::string> line = next_byte_line(bytes);
        if (!line) {
            break;
        }
        if (encoding == Encoding::Utf8) {
            if (!valid_utf8(*line)) {
                throw LyricError(jet::path_text(path) + ": line " +
                                 std::to_string(lines.size() + 1) +
                                 " is not valid UTF-8 although the file starts with its mark");
            }
            lines.push_back(std::move(*line));
        } else {
            std::string text = code_page.to_utf8(*line);
            if (text.find(kReplacementCharacter) != std::string::npos) {
                throw LyricError(jet::path_text(path) + ": line " +
                                 std::to_string(lines.size() + 1) +
                                 " holds a byte that is no character of code page " +
                                 std::to_string(code_page.number()));
            }
            lines.push_back(std::move(text));
        }
    }
    return lines;
}

}  // namespace songdb
