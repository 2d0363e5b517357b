#include "cli/csv_reader.h"

#include <stdexcept>

namespace cli {

std::optional<CsvRecord> CsvReader::next() {
    int c = in_.get();
    if (c == EOF) {
        return std::nullopt;
    }
    record_line_ = line_;
    CsvRecord record;
    std::string field;
    bool quoted = false;
    for (;; c = in_.get()) {
        if (c == '"' && field.empty() && !quoted) {
            quoted = true;
            for (;;) {
                c = in_.get();
                if (c == EOF) {
                    throw std::runtime_error("a quoted field is not closed");
                }
                if (c == '\n') {
                    ++line_;
                }
                if (c == '"') {
                    if (in_.peek() != '"') {
                        break;
                    }
                    in_.get();
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
        if (quoted && c == '\r' && in_.peek() == '\n') {
            continue;
        }
        field.push_back(static_cast<char>(c));
    }
}

}  // namespace cli
