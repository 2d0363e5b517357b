#include "songdb/lyric_reader.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <optional>
#include <streambuf>
#include <string>
#include <string_view>
#include <utility>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include "jet/file_system.h"
#include "jet/unicode.h"

namespace songdb {
namespace {

// The most bytes of the file read for one line: far more than a Text column
// holds, so that a line cut here is still refused as too long when stored.
constexpr std::size_t kMaxLineBytes = 64 * 1024;

enum class Encoding { CodePage, Utf8, Utf16Le, Utf16Be };

// The file could not be read: a folder opened as a file fails this way.
class LyricReadError : public LyricError {
  public:
    using LyricError::LyricError;
};

// Gives the file's bytes one at a time straight from the stream's buffer,
// which reads the file in bounded blocks, so that a byte costs no call beyond
// the buffer's; bytes put back are given again first, most recent first.
class ByteSource {
  public:
    ByteSource(std::streambuf* buffer, const std::string& name) : buffer_(buffer), name_(name) {}

    std::optional<unsigned char> next() {
        if (!held_.empty()) {
            const unsigned char b = held_.back();
            held_.pop_back();
            return b;
        }
        if (buffer_ == nullptr) {
            throw unreadable();
        }
        std::char_traits<char>::int_type c;
        try {
            c = buffer_->sbumpc();
        } catch (const std::exception&) {
            throw unreadable();
        }
        if (c == std::char_traits<char>::eof()) {
            return std::nullopt;
        }
        return static_cast<unsigned char>(c);
    }
    void put_back(unsigned char b) { held_.push_back(b); }

  private:
    LyricReadError unreadable() const {
        return LyricReadError(name_ + ": the lyric file cannot be read");
    }

    std::streambuf* buffer_;
    const std::string& name_;
    std::vector<unsigned char> held_;
};

// Takes the byte-order mark, if any, from the start of the file; the bytes
// read that are no part of one are put back.
Encoding read_byte_order_mark(ByteSource& bytes) {
    unsigned char mark[3] = {};
    std::size_t got = 0;
    for (; got < 3; ++got) {
        const std::optional<unsigned char> b = bytes.next();
        if (!b) {
            break;
        }
        mark[got] = *b;
    }
    std::size_t used = 0;
    Encoding encoding = Encoding::CodePage;
    if (got == 3 && mark[0] == 0xEF && mark[1] == 0xBB && mark[2] == 0xBF) {
        used = 3;
        encoding = Encoding::Utf8;
    } else if (got >= 2 && mark[0] == 0xFF && mark[1] == 0xFE) {
        used = 2;
        encoding = Encoding::Utf16Le;
    } else if (got >= 2 && mark[0] == 0xFE && mark[1] == 0xFF) {
        used = 2;
        encoding = Encoding::Utf16Be;
    }
    while (got > used) {
        bytes.put_back(mark[--got]);
    }
    return encoding;
}

// Reads UTF-16 code units and gives characters; a line end is looked for in
// characters, so a CR or LF byte inside another character never ends a line.
class Utf16Source {
  public:
    Utf16Source(ByteSource& bytes, bool little_endian, const std::string& name)
        : bytes_(bytes), little_endian_(little_endian), name_(name) {}

    std::optional<char32_t> next() {
        if (held_) {
            return std::exchange(held_, std::nullopt);
        }
        const std::optional<char16_t> unit = next_unit();
        if (!unit) {
            return std::nullopt;
        }
        if (jet::is_high_surrogate(*unit)) {
            const std::optional<char16_t> low = next_unit();
            if (!low || !jet::is_low_surrogate(*low)) {
                throw invalid();
            }
            return jet::surrogate_pair_character(*unit, *low);
        }
        if (jet::is_low_surrogate(*unit)) {
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
            throw LyricError(name_ + ": the UTF-16 lyric file ends in half a character");
        }
        return little_endian_ ? static_cast<char16_t>(*first | (*second << 8))
                              : static_cast<char16_t>((*first << 8) | *second);
    }
    LyricError invalid() const {
        return LyricError(name_ + ": the UTF-16 lyric file holds an unpaired surrogate");
    }

    ByteSource& bytes_;
    bool little_endian_;
    const std::string& name_;
    std::optional<char32_t> held_;
};

// A line as read, without its line end; `cut` when it was longer than
// kMaxLineBytes and holds only its start.
struct Line {
    std::string text;
    bool cut = false;
};

// Drops the last character of UTF-8 text when it is not whole.
void drop_partial_character(std::string& text) {
    std::size_t start = text.size();
    while (start > 0 && text.size() - start < 4 &&
           (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80) {
        --start;
    }
    if (start == 0) {
        return;
    }
    --start;
    const auto lead = static_cast<unsigned char>(text[start]);
    const std::size_t length = (lead >> 5) == 0x06   ? 2
                               : (lead >> 4) == 0x0E ? 3
                               : (lead >> 3) == 0x1E ? 4
                                                     : 1;
    if (start + length > text.size()) {
        text.resize(start);
    }
}

// One line of a byte encoding (UTF-8 when `utf8`, else the single-byte code
// page); nothing when the file is at its end.
std::optional<Line> next_byte_line(ByteSource& bytes, bool utf8) {
    std::optional<unsigned char> b = bytes.next();
    if (!b) {
        return std::nullopt;
    }
    Line line;
    for (; b; b = bytes.next()) {
        if (*b == '\n') {
            break;
        }
        if (*b == '\r') {
            const std::optional<unsigned char> after = bytes.next();
            if (after && *after != '\n') {
                bytes.put_back(*after);
            }
            break;
        }
        if (line.text.size() == kMaxLineBytes) {
            line.cut = true;
            if (utf8) {
                drop_partial_character(line.text);
            }
            break;
        }
        line.text += static_cast<char>(*b);
    }
    return line;
}

std::optional<Line> next_utf16_line(Utf16Source& chars) {
    std::optional<char32_t> c = chars.next();
    if (!c) {
        return std::nullopt;
    }
    Line line;
    std::size_t line_bytes = 0;  // of the file
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
        const std::size_t size = *c >= 0x10000 ? 4 : 2;
        if (line_bytes + size > kMaxLineBytes) {
            line.cut = true;
            break;
        }
        line_bytes += size;
        jet::append_utf8(line.text, *c);
    }
    return line;
}

// The lines of a file without a byte-order mark, as bytes. A cut line that
// ends in part of a UTF-8 character keeps that part: it is a whole character
// if the file is in the code page.
std::vector<std::string> unmarked_lines(ByteSource& bytes, std::size_t max_lines) {
    std::vector<std::string> lines;
    while (lines.size() < max_lines) {
        std::optional<Line> line = next_byte_line(bytes, false);
        if (!line) {
            break;
        }
        lines.push_back(std::move(line->text));
        if (line->cut) {
            break;
        }
    }
    return lines;
}

// Whether the lines of a file without a mark are UTF-8: every line valid
// UTF-8 (a cut last line up to its last whole character) and at least one
// byte beyond ASCII. Text of a single-byte code page with such bytes almost
// never forms valid UTF-8 (Thai letters, 0xA1 to 0xFB, would have to fall
// into lead and continuation bytes throughout); text of ASCII only reads
// the same either way. A cut last line loses its partial character when it
// is taken as UTF-8.
bool utf8_beyond_ascii(std::vector<std::string>& lines) {
    bool beyond_ascii = false;
    std::string cut_last;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        if (i + 1 == lines.size() && line.size() == kMaxLineBytes) {
            cut_last = lines[i];
            drop_partial_character(cut_last);
            line = cut_last;
        }
        if (!jet::is_valid_utf8(line)) {
            return false;
        }
        beyond_ascii = beyond_ascii || std::any_of(line.begin(), line.end(), [](char c) {
                           return static_cast<unsigned char>(c) >= 0x80;
                       });
    }
    if (beyond_ascii && lines.back().size() == kMaxLineBytes) {
        lines.back() = std::move(cut_last);
    }
    return beyond_ascii;
}

}  // namespace

std::string LyricLines::bytes() const {
    std::string joined;
    for (const std::string& line : lines) {
        joined += line;
        joined += '\n';
    }
    return joined;
}

std::vector<std::string> LyricLines::decoded(const jet::CodePage& code_page) const {
    if (!in_code_page) {
        return lines;
    }
    std::vector<std::string> text;
    for (const std::string& line : lines) {
        text.push_back(code_page.to_utf8(line));
    }
    return text;
}

namespace {

LyricLines read_lines(std::streambuf* buffer, const std::string& name, std::size_t max_lines) {
    ByteSource bytes(buffer, name);
    const Encoding encoding = read_byte_order_mark(bytes);
    LyricLines read;
    std::vector<std::string>& lines = read.lines;
    if (encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be) {
        Utf16Source chars(bytes, encoding == Encoding::Utf16Le, name);
        while (lines.size() < max_lines) {
            std::optional<Line> line = next_utf16_line(chars);
            if (!line) {
                break;
            }
            lines.push_back(std::move(line->text));
            if (line->cut) {
                break;
            }
        }
        return read;
    }
    if (encoding == Encoding::Utf8) {
        while (lines.size() < max_lines) {
            std::optional<Line> line = next_byte_line(bytes, true);
            if (!line) {
                break;
            }
            if (!jet::is_valid_utf8(line->text)) {
                throw LyricError(name + ": line " + std::to_string(lines.size() + 1) +
                                 " is not valid UTF-8 although the file starts with its mark");
            }
            lines.push_back(std::move(line->text));
            if (line->cut) {
                break;
            }
        }
        return read;
    }
    lines = unmarked_lines(bytes, max_lines);
    read.in_code_page = !utf8_beyond_ascii(lines);
    return read;
}

// A lyric file read in blocks of 4 KiB, straight from the system's file
// calls: no stream, locale or heap buffer is set up for a file of which the
// update reads a few lines.
class LyricFileBuffer : public std::streambuf {
  public:
    explicit LyricFileBuffer(const std::filesystem::path& path) {
#ifdef _WIN32
        descriptor_ = _wopen(path.c_str(), _O_RDONLY | _O_BINARY);
#else
        descriptor_ = open(path.c_str(), O_RDONLY | O_CLOEXEC);
#endif
    }
    ~LyricFileBuffer() override {
        if (descriptor_ >= 0) {
#ifdef _WIN32
            _close(descriptor_);
#else
            close(descriptor_);
#endif
        }
    }
    LyricFileBuffer(const LyricFileBuffer&) = delete;
    LyricFileBuffer& operator=(const LyricFileBuffer&) = delete;

    bool is_open() const {
        return descriptor_ >= 0;
    }

  protected:
    // Throws LyricReadError when the read fails; the reader names the file.
    int_type underflow() override {
#ifdef _WIN32
        const int got = _read(descriptor_, block_, sizeof block_);
#else
        const ssize_t got = read(descriptor_, block_, sizeof block_);
#endif
        if (got < 0) {
            throw LyricReadError("read failed");
        }
        if (got == 0) {
            return traits_type::eof();
        }
        setg(block_, block_, block_ + got);
        return traits_type::to_int_type(block_[0]);
    }

  private:
    int descriptor_ = -1;
    char block_[4096];
};

}  // namespace

LyricLines read_lyric_file(std::istream& in, const std::string& name, std::size_t max_lines) {
    return read_lines(in.rdbuf(), name, max_lines);
}

// Opening a folder as a file fails on Windows; on POSIX the open succeeds and
// the first read fails. Either failure alone does not say why, so only then is
// the path looked at, and a folder named as such.
LyricLines read_lyric_file(const std::filesystem::path& path, std::size_t max_lines) {
    const std::string name = jet::path_text(path);
    const auto failed = [&path, &name](const char* failure) {
        std::error_code ec;
        return LyricError(name + (std::filesystem::is_directory(path, ec)
                                      ? ": is a folder, not a lyric file"
                                      : failure));
    };
    LyricFileBuffer file(path);
    if (!file.is_open()) {
        throw failed(": the lyric file cannot be opened");
    }
    try {
        return read_lines(&file, name, max_lines);
    } catch (const LyricReadError&) {
        throw failed(": the lyric file cannot be read");
    }
}

std::vector<std::string> read_lyric_lines(std::istream& in, const std::string& name,
                                          const jet::CodePage& code_page, std::size_t max_lines) {
    return read_lyric_file(in, name, max_lines).decoded(code_page);
}

std::vector<std::string> read_lyric_lines(const std::filesystem::path& path,
                                          const jet::CodePage& code_page, std::size_t max_lines) {
    return read_lyric_file(path, max_lines).decoded(code_page);
}

}  // namespace songdb
