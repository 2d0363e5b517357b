// listsong dump FILE [TABLE...] [--json]: the rows of tables as CSV with a
// header row, or as one JSON object per row. When the dump is not of exactly
// one named table, each table is introduced by a line "# Table: NAME".
#include <string_view>

#include "cli/commands.h"
#include "cli/options.h"
#include "jet/database.h"
#include "jet/value_text.h"
#include "window/native_text.h"

namespace cli {
namespace {

// Column names are UTF-8 already; this lets the value formatter quote them.
class Utf8 : public jet::CodePage {
  public:
    int number() const override { return 65001; }
    std::string to_utf8(std::string_view bytes) const override { return std::string(bytes); }
    std::string from_utf8(std::string_view utf8) const override { return std::string(utf8); }
};

std::string name_text(const std::string& name, bool json) {
    static const Utf8 utf8;
    const jet::Value value = jet::Text{name};
    return json ? jet::json_value(value, jet::ColumnType::Text, utf8)
                : jet::csv_value(value, jet::ColumnType::Text, utf8);
}

void dump_table(jet::Database& db, const jet::TableDefinition& table, bool json,
                std::ostream& out) {
    const auto& columns = table.columns;
    std::vector<std::string> keys;
    for (const jet::Column& c : columns) {
        keys.push_back(name_text(c.name, json));
    }
    std::string line;
    if (!json) {
        for (std::size_t i = 0; i < keys.size(); ++i) {
            line += (i ? "," : "") + keys[i];
        }
        out << line << "\n";
    }
    const jet::CodePage& code_page = db.code_page();
    db.for_each_row(table, [&](jet::RowPointer, const std::vector<jet::Value>& row) {
        line.clear();
        if (json) {
            line += '{';
            for (std::size_t i = 0; i < row.size(); ++i) {
                line += i ? "," : "";
                line += keys[i];
                line += ':';
                line += jet::json_value(row[i], columns[i].type, code_page);
            }
            line += '}';
        } else {
            for (std::size_t i = 0; i < row.size(); ++i) {
                line += i ? "," : "";
                line += jet::csv_value(row[i], columns[i].type, code_page);
            }
        }
        line += '\n';
        out << line;
    });
}

}  // namespace

int run_dump(const std::vector<std::string>& args, std::ostream& out) {
    const Options options = parse_options(args, true);
    if (options.positional.empty()) {
        throw UsageError("dump needs a FILE: name the catalogue to read");
    }
    const auto db =
        jet::Database::open(window::path_of_text(options.positional[0]), {options.code_page});
    std::vector<std::string> tables(options.positional.begin() + 1, options.positional.end());
    const bool introduce = tables.size() != 1;
    if (tables.empty()) {
        tables = db->table_names();
    }
    for (const std::string& name : tables) {
        const jet::TableDefinition& table = db->table(name);
        if (introduce) {
            out << "# Table: " << table.name << "\n";
        }
        dump_table(*db, table, options.json, out);
    }
    out.flush();
    return 0;
}

}  // namespace cli
