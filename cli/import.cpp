// listsong import FILE TABLE CSV: appends the CSV's rows to the table. The
// header row names the columns; every later row is converted from its text
// as Access converts a field set from a string, and stored. The first row
// refused stops the import; the rows before it stay stored.
#include <fstream>
#include <optional>

#include "cli/commands.h"
#include "cli/csv_reader.h"
#include "cli/options.h"
#include "jet/database.h"
#include "jet/table_writer.h"
#include "jet/value_parse.h"
#include "window/native_text.h"

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

}  // namespace

int run_import(const std::vector<std::string>& args, std::ostream& out) {
    const Options options = parse_options(args, false);
    if (options.positional.size() != 3) {
        throw UsageError("import needs FILE TABLE CSV");
    }
    const std::string& csv_path = options.positional[2];
    std::ifstream csv(window::path_of_text(csv_path), std::ios::binary);
    if (!csv) {
        throw std::runtime_error(csv_path + ": cannot open the file");
    }
    skip_byte_order_mark(csv);
    CsvReader reader(csv);
    const std::optional<CsvRecord> header = reader.next();
    if (!header) {
        throw std::runtime_error(csv_path +
                                 ": the file is empty; its first line must name the "
                                 "columns");
    }

    jet::OpenOptions open_options;
    open_options.code_page = options.code_page;
    open_options.writable = true;
    const auto db = jet::Database::open(window::path_of_text(options.positional[0]), open_options);
    jet::TableWriter writer(*db, options.positional[1]);
    std::vector<std::size_t> positions;
    for (const auto& name : *header) {
        if (!name) {
            throw std::runtime_error(csv_path + ": line 1: a column name is empty");
        }
        positions.push_back(writer.column_position(*name));
    }

    std::size_t stored = 0;
    auto report = [&] { out << "stored " << stored << (stored == 1 ? " row" : " rows") << "\n"; };
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
                    (*record)[i] ? jet::value_from_text(*(*record)[i], column, db->code_page())
                                 : jet::Value{jet::Null{}};
            }
            writer.insert(values);
            ++stored;
        }
    } catch (const std::exception& e) {
        db->close();
        report();
        throw std::runtime_error(csv_path + ": line " + std::to_string(reader.line()) + ": " +
                                 e.what());
    }
    db->close();
    report();
    return 0;
}

}  // namespace cli
