// listsong info FILE: the database's format, code page (with the rule that
// chose it) and sort order, and for each user table its row count, columns and
// indexes.
#include <algorithm>
#include <iomanip>

#include "cli/commands.h"
#include "cli/options.h"
#include "jet/database.h"
#include "window/native_text.h"

namespace cli {
namespace {

std::string type_name(const jet::Column& c) {
    switch (c.type) {
        case jet::ColumnType::Boolean:
            return "Yes/No";
        case jet::ColumnType::Byte:
            return "Byte";
        case jet::ColumnType::Integer:
            return "Integer";
        case jet::ColumnType::Long:
            return c.long_autonumber() ? "AutoNumber (Long Integer)" : "Long Integer";
        case jet::ColumnType::Currency:
            return "Currency";
        case jet::ColumnType::Single:
            return "Single";
        case jet::ColumnType::Double:
            return "Double";
        case jet::ColumnType::DateTime:
            return "Date/Time";
        case jet::ColumnType::Binary:
            return "Binary(" + std::to_string(c.size) + ")";
        case jet::ColumnType::Text:
            return "Text(" + std::to_string(c.size) + ")";
        case jet::ColumnType::Ole:
            return "OLE Object";
        case jet::ColumnType::Memo:
            return (c.flags & jet::Column::kHyperlink) ? "Hyperlink" : "Memo";
        case jet::ColumnType::Guid:
            return c.guid_autonumber() ? "AutoNumber (Replication ID)" : "Replication ID";
    }
    return "type " + std::to_string(static_cast<int>(c.type));
}

std::string sort_order_name(unsigned lcid) {
    switch (lcid) {
        case 1033:
            return " (General)";
        case 1054:
            return " (Thai)";
        default:
            return "";
    }
}

// Why the data code page is the one it is; a page the caller names is the
// one given with --codepage.
std::string code_page_reason(const jet::Database& db) {
    if (db.code_page_rule() == jet::CodePageRule::Named) {
        return "named with --codepage";
    }
    return db.code_page_reason();
}

void print_indexes(const jet::TableDefinition& table, std::ostream& out) {
    out << "  Indexes:\n";
    for (const jet::LogicalIndex& logical : table.logical_indexes) {
        const jet::RealIndex& real = table.real_indexes[logical.real_index];
        out << "    " << logical.name << " (";
        for (std::size_t i = 0; i < real.columns.size(); ++i) {
            const jet::Column* column = table.column_by_number(real.columns[i].column_number);
            out << (i ? ", " : "") << column->name
                << (real.columns[i].ascending ? " ASC" : " DESC");
        }
        out << ")";
        if (logical.kind == jet::IndexKind::PrimaryKey) {
            out << " primary";
        }
        if (logical.kind == jet::IndexKind::ForeignKey) {
            out << " foreign-key";
        }
        if (real.unique()) {
            out << " unique";
        }
        if (real.ignore_nulls()) {
            out << " ignore-nulls";
        }
        if (real.required()) {
            out << " required";
        }
        out << "\n";
    }
}

void print_table(const jet::TableDefinition& table, std::ostream& out) {
    out << "\nTable: " << table.name << "\n";
    out << "  Rows: " << table.row_count << "\n";
    out << "  Columns:\n";
    std::size_t width = 0;
    for (const jet::Column& c : table.columns) {
        width = std::max(width, c.name.size());
    }
    for (const jet::Column& c : table.columns) {
        out << "    " << std::left << std::setw(static_cast<int>(width)) << c.name << "  "
            << type_name(c) << "\n";
    }
    print_indexes(table, out);
}

}  // namespace

int run_info(const std::vector<std::string>& args, std::ostream& out) {
    const Options options = parse_options(args, false);
    if (options.positional.size() != 1) {
        throw UsageError(options.positional.empty()
                             ? "info needs a FILE: name the catalogue to describe"
                             : "info takes one FILE, not " +
                                   std::to_string(options.positional.size()) +
                                   ": name one catalogue to describe");
    }
    const auto db =
        jet::Database::open(window::path_of_text(options.positional[0]), {options.code_page});
    const jet::Header& header = db->header();
    out << "File: " << options.positional[0] << "\n";
    out << "Format: Access 97 (Jet 3)\n";
    out << "Code page: " << db->code_page().number() << " (" << code_page_reason(*db)
        << "; header says " << header.code_page << ")\n";
    out << "Sort order: " << header.sort_order << sort_order_name(header.sort_order) << "\n";
    for (const std::string& name : db->table_names()) {
        print_table(db->table(name), out);
    }
    return 0;
}

}  // namespace cli
