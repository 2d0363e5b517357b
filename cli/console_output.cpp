#include "cli/console_output.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <streambuf>
#include <string>
#include <string_view>

#include "jet/unicode.h"
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace cli {

#ifdef _WIN32

namespace {

// The length of the longest start of `bytes` that does not end inside a UTF-8
// sequence. A byte that cannot start a sequence counts as complete: the
// conversion shows it as U+FFFD.
std::size_t complete_length(const char* bytes, std::size_t size) {
    for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
        const auto byte = static_cast<unsigned char>(bytes[size - back]);
        if ((byte & 0xC0) == 0x80) {
            continue;
        }
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? size - back : size;
    }
    return size;
}

// A stream buffer that writes UTF-8 text to a console as UTF-16. A sequence
// cut by a flush waits in the buffer for the bytes that complete it.
class ConsoleBuffer : public std::streambuf {
  public:
    explicit ConsoleBuffer(HANDLE console) : console_(console) {
        setp(bytes_.data(), bytes_.data() + bytes_.size());
    }

    // Writes everything buffered, a cut sequence included.
    void write_all() { write(buffered()); }

  protected:
    int_type overflow(int_type c) override {
        if (!write(complete_length(pbase(), buffered()))) {
            return traits_type::eof();
        }
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }

    int sync() override { return write(complete_length(pbase(), buffered())) ? 0 : -1; }

  private:
    std::size_t buffered() const { return static_cast<std::size_t>(pptr() - pbase()); }

    // Writes the first `count` buffered bytes and keeps the rest.
    bool write(std::size_t count) {
        const bool written = write_text(count);
        const std::size_t rest = buffered() - count;
        std::memmove(bytes_.data(), bytes_.data() + count, rest);
        setp(bytes_.data(), bytes_.data() + bytes_.size());
        pbump(static_cast<int>(rest));
        return written;
    }

    // Writes the first `count` buffered bytes as UTF-16, in as many calls as
    // the console takes.
    bool write_text(std::size_t count) {
        text_.clear();
        jet::append_utf16_of_utf8(text_, std::string_view(bytes_.data(), count));
        for (std::size_t at = 0; at < text_.size();) {
            DWORD written = 0;
            if (!WriteConsoleW(console_, text_.data() + at, static_cast<DWORD>(text_.size() - at),
                               &written, nullptr) ||
                written == 0) {
                return false;
            }
            at += written;
        }
        return true;
    }

    static constexpr std::size_t kBufferSize = 4096;
    HANDLE console_;
    std::array<char, kBufferSize> bytes_;
    std::wstring text_;  // kept between writes, so that it is allocated once
};

// One standard stream for the program's run: through a ConsoleBuffer when it
// is a console, its bytes unchanged (binary mode) otherwise.
class StandardStream {
  public:
    StandardStream(std::ostream& stream, DWORD handle, FILE* file) : stream_(stream) {
        HANDLE console = GetStdHandle(handle);
        DWORD mode = 0;
        if (GetConsoleMode(console, &mode)) {
            buffer_.emplace(console);
            previous_ = stream_.rdbuf(&*buffer_);
        } else if (const int descriptor = _fileno(file); descriptor >= 0) {
            _setmode(descriptor, _O_BINARY);
        }
    }

    ~StandardStream() {
        if (buffer_) {
            stream_.flush();
            buffer_->write_all();
            stream_.rdbuf(previous_);
        }
    }

    StandardStream(const StandardStream&) = delete;
    StandardStream& operator=(const StandardStream&) = delete;

    bool console() const { return buffer_.has_value(); }

  private:
    std::ostream& stream_;
    std::optional<ConsoleBuffer> buffer_;
    std::streambuf* previous_ = nullptr;
};

}  // namespace

// A line on a console is redrawn with blanks, not with an escape sequence:
// older consoles refuse ENABLE_VIRTUAL_TERMINAL_PROCESSING, and some accept it
// and still show the sequence as text, so whether the mode was set tells
// nothing. Blanks work on every console.
struct ConsoleOutput::Streams {
    StandardStream out{std::cout, STD_OUTPUT_HANDLE, stdout};
    StandardStream err{std::cerr, STD_ERROR_HANDLE, stderr};

    LineRedraw line_redraw() const {
        return out.console() ? LineRedraw::blank_padding : LineRedraw::none;
    }
};

// Lines wrap at the width of the console's screen buffer.
std::size_t terminal_columns() {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info) || info.dwSize.X <= 0) {
        return 0;
    }
    return static_cast<std::size_t>(info.dwSize.X);
}

#else

// Terminals elsewhere take UTF-8 and escape sequences as they are.
struct ConsoleOutput::Streams {
    LineRedraw line_redraw() const {
        return isatty(STDOUT_FILENO) != 0 ? LineRedraw::escape : LineRedraw::none;
    }
};

std::size_t terminal_columns() {
    winsize size{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0) {
        return 0;
    }
    return size.ws_col;
}

#endif

ConsoleOutput::ConsoleOutput()
    : streams_(std::make_unique<Streams>()), line_redraw_(streams_->line_redraw()) {}

ConsoleOutput::~ConsoleOutput() = default;

}  // namespace cli
