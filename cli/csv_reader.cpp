#include "cli/csv_reader.h"

#include <stdexcept>

namespace cli {

// The stream's buffer is read directly: a character costs no sentry of the
// stream, and the reader needs nothing of it but the characters.
// Both give a byte as 0 to 255, and the end as EOF.
int CsvReader::take() {
    return in_.rdbuf()->sbumpc();
}

int CsvReader::look() {
    return in_.rdbuf()->sgetc();
}

std::optional<CsvRecord> CsvReader::next() {
    int c = take();
    if (c == EOF) {
        return std::nullopt;
    }
    record_line_ = line_;
    CsvRecord record;
    std::string field;
    bool quoted = false;
    for (;; c = take()) {
        if (c == '"' && field.empty() && !quoted) {
            quoted = true;
            for (;;) {
                c = take();
                if (c == EOF) {
                    throw std::runtime_error("a quoted field is not closed");
                }
                if (c == '\n') {
                    ++line_;
                }
                if (c == '"') {
                    if (look() != '"') {
                        break;
                    }
                    take();
                }
                field.push_back(static_cast<char>(c));
            }
            continue;
        }
        if (c == ',' || c == '\n' || c == EOF) {
            if (!quoted && !field.empty() && field.back() == '\r' && c != ',') {
                field.pop_back();
            }
            record.push_back(field.empty() && !quoted ? std::nullopt
                                                      : std::optional<std::string>(field));
            field.clear();
            quoted = false;
            if (c == ',') {
                continue;
            }
            if (c == '\n') {
                ++line_;
            }
            return record;
        }
        if (quoted && c == '\r' && look() == '\n') {
            continue;
        }
        field.push_back(static_cast<char>(c));
    }
}

}  // namespace cli
