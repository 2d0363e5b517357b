// Standard output and standard error for the program's run. Text inside the
// program is UTF-8 and lines end with LF on every system. On Windows, a
// stream that is a console is written through the console's UTF-16 interface,
// so that Thai shows whatever the console's code page; a stream that is a
// file or a pipe gets the UTF-8 bytes unchanged, without text-mode line-end
// translation. Elsewhere the streams are left as they are.
#pragma once

#include <cstddef>
#include <memory>

namespace cli {

// How a line on standard output can be redrawn in place.
enum class LineRedraw {
    none,           // not a terminal: nothing is redrawn
    escape,         // a terminal that erases the rest of a line with "\x1b[K"
    blank_padding,  // a console, redrawn without escapes: "\r", then blanks over the older text
};

class ConsoleOutput {
  public:
    // Sets std::cout and std::cerr up; call before anything is written.
    ConsoleOutput();
    // Flushes both streams and gives them back as they were.
    ~ConsoleOutput();
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;

    LineRedraw line_redraw() const { return line_redraw_; }

  private:
    struct Streams;
    std::unique_ptr<Streams> streams_;
    LineRedraw line_redraw_ = LineRedraw::none;
};

// The width in columns of the terminal that shows standard output; 0 when it
// is no terminal or does not tell. A terminal may be resized at any moment.
std::size_t terminal_columns();

}  // namespace cli
