// Reading CSV records: fields separated by commas, a field in double quotes
// may hold commas, line ends and doubled quotes; records end with LF or CRLF.
// An empty unquoted field is null; "" is empty text.
#pragma once

#include <cstddef>
#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace cli {

using CsvRecord = std::vector<std::optional<std::string>>;

class CsvReader {
  public:
    explicit CsvReader(std::istream& in) : in_(in) {}

    // The next record, or nullopt at the end of the input. Throws
    // std::runtime_error for a quote left open; line() then gives the line
    // where that record starts, for the caller's message.
    std::optional<CsvRecord> next();

    // The line the last record read by next() starts on (1 for the first).
    std::size_t line() const { return record_line_; }

  private:
    // The next character, taken from the input or only looked at; EOF at
    // the end.
    int take();
    int look();

    std::istream& in_;
    std::size_t line_ = 1;
    std::size_t record_line_ = 0;
};

}  // namespace cli
