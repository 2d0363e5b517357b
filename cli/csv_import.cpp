#include "cli/csv_import.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/csv_reader.h"
#include "jet/file_system.h"
#include "jet/table_writer.h"
#include "jet/value_parse.h"

namespace cli {
namespace {

void skip_byte_order_mark(std::istream& in) {
    char mark[3] = {};
    in.read(mark, 3);
    if (in.gcount() == 3 && mark[0] == '\xEF' && mark[1] == '\xBB' && mark[2] == '\xBF') {
        return;
    }
    in.clear();
    in.seekg(0);
}

// The position in the table of each column the header names. Refuses, before
// any row is stored, an empty name, a column named twice (names compare as
// the engine compares them: ASCII letters in either case) and an AutoNumber
// column, which the database fills in itself.
std::vector<std::size_t> column_positions(const CsvRecord& header, const jet::TableWriter& writer) {
    std::vector<std::size_t> positions;
    for (std::size_t field = 0; field < header.size(); ++field) {
        if (!header[field]) {
            throw std::runtime_error("a column name is empty");
        }
        const std::size_t position = writer.column_position(*header[field]);
        const jet::Column& column = writer.table().columns[position];
        const auto earlier = std::find(positions.begin(), positions.end(), position);
        if (earlier != positions.end()) {
            throw std::runtime_error("column '" + column.name + "' is named twice, in fields " +
                                     std::to_string(earlier - positions.begin() + 1) + " and " +
                                     std::to_string(field + 1) + "; name each column once");
        }
        if (column.long_autonumber() || column.guid_autonumber()) {
            throw std::runtime_error("column '" + column.name +
                                     "' is an AutoNumber column, which the database numbers "
                                     "itself: leave it out of the CSV");
        }
        positions.push_back(position);
    }
    return positions;
}

}  // namespace

void import_csv(const std::filesystem::path& database, std::string_view table,
                const std::filesystem::path& csv_file, jet::OpenOptions open_options,
                std::ostream& out) {
    const std::string csv_path = jet::path_text(csv_file);
    std::ifstream csv(csv_file, std::ios::binary);
    if (!csv) {
        std::error_code error;
        throw std::runtime_error(
            std::filesystem::exists(csv_file, error)
                ? csv_path + ": the CSV file cannot be opened: check that you may read it"
                : "no CSV file at " + csv_path + ": name the file that holds the rows");
    }
    skip_byte_order_mark(csv);
    CsvReader reader(csv);
    // The message of a failure at the record read last, naming its line.
    auto at_line = [&](const std::exception& e) {
        return csv_path + ": line " + std::to_string(reader.line()) + ": " + e.what();
    };

    std::optional<CsvRecord> header;
    try {
        header = reader.next();
    } catch (const std::exception& e) {
        throw std::runtime_error(at_line(e));
    }
    if (!header) {
        throw std::runtime_error(csv_path +
                                 ": the file is empty; its first line must name the "
                                 "columns");
    }
    open_options.writable = true;
    const auto db = jet::Database::open(database, open_options);
    jet::TableWriter writer(*db, table);
    std::vector<std::size_t> positions;
    try {
        positions = column_positions(*header, writer);
    } catch (const std::exception& e) {
        throw std::runtime_error(at_line(e));
    }

    // The first failure is the one reported; closing the database comes after
    // a refused row too, and its own failure is told after that one. The rows
    // saved are counted in every case: a failed save loses the rows inserted
    // since the one before, and says so.
    std::optional<std::string> failure;
    try {
        while (const std::optional<CsvRecord> record = reader.next()) {
            if (record->size() != positions.size()) {
                throw std::runtime_error("has " + std::to_string(record->size()) +
                                         " fields, the header names " +
                                         std::to_string(positions.size()) + " columns");
            }
            std::vector<std::optional<jet::Value>> values(writer.table().columns.size());
            for (std::size_t i = 0; i < positions.size(); ++i) {
                const jet::Column& column = writer.table().columns[positions[i]];
                values[positions[i]] =
                    (*record)[i] ? jet::value_from_text(*(*record)[i], column,
                                                        db->code_page_for_text(*(*record)[i]))
                                 : jet::Value{jet::Null{}};
            }
            writer.insert(values);
        }
    } catch (const std::exception& e) {
        failure = at_line(e);
    }
    try {
        db->close();
    } catch (const std::exception& e) {
        failure = failure ? *failure + "; closing the database failed too: " + e.what()
                          : std::string(e.what());
    }
    const std::size_t stored = db->saved_inserts();
    out << "stored " << stored << (stored == 1 ? " row" : " rows") << "\n";
    if (failure) {
        throw std::runtime_error(*failure);
    }
}

}  // namespace cli
