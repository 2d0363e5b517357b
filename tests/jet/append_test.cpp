// Appending generated rows to every user table of every real Access 97 file
// (copies), then reading them back: our reader returns the original rows plus
// exactly the new ones, the consistency check finds no error, and the
// independent readers (mdb-export, mdb-reader) agree.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "jet/check.h"
#include "jet/codepage.h"
#include "jet/database.h"
#include "jet/relationships.h"
#include "jet/table_writer.h"
#include "jet/value_text.h"
#include "jet/write_error.h"
#include "tests/jet/row_generator.h"
#include "tests/support/fixtures.h"
#include "tests/support/programs.h"

namespace {

using jet_test::FixtureCopy;
using jet_test::require_program;
using jet_test::run_command;

constexpr int kRowsPerTable = 2000;

// A row as text, to compare rows as multisets.
std::string row_text(const jet::TableDefinition& table, const std::vector<jet::Value>& row,
                     const jet::CodePage& code_page) {
    std::string text;
    for (std::size_t i = 0; i < row.size(); ++i) {
        text += jet::json_value(row[i], table.columns[i].type, code_page);
        text += '\x1F';
    }
    return text;
}

std::multiset<std::string> table_rows(jet::Database& db, const std::string& name) {
    const jet::TableDefinition& table = db.table(name);
    std::multiset<std::string> rows;
    db.for_each_row(table, [&](jet::RowPointer, const std::vector<jet::Value>& row) {
        rows.insert(row_text(table, row, db.code_page()));
    });
    return rows;
}

std::size_t mdb_export_rows(const std::filesystem::path& file, const std::string& table) {
    const std::string out = run_command(
        "mdb-export -b strip -H -Q -d \"$(printf '\\037')\" -R \"$(printf '\\036')\" '" +
        file.string() + "' '" + table + "'");
    return static_cast<std::size_t>(std::count(out.begin(), out.end(), '\x1e'));
}

// Splits text into its lines, without the line ends.
std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The text of `line` around character `at`, where it differs from another
// line: rows holding pictures run to tens of thousands of characters.
std::string excerpt(const std::string& line, std::size_t at) {
    constexpr std::size_t kBefore = 80;
    constexpr std::size_t kLength = 160;
    const std::size_t start = at < kBefore ? 0 : at - kBefore;
    return (start > 0 ? "..." : "") + line.substr(start, kLength) +
           (start + kLength < line.size() ? "..." : "");
}

// Column names are UTF-8 already; this lets the value formatter quote them.
class Utf8 : public jet::CodePage {
  public:
    int number() const override { return 65001; }
    std::string to_utf8(std::string_view bytes) const override { return std::string(bytes); }
    std::string from_utf8(std::string_view utf8) const override { return std::string(utf8); }
};

// The rows of `tables` as tests/tools/mdb-reader-dump.mjs writes them: with
// more than one table, each after a line "# Table: NAME"; a row is one JSON
// object whose keys are the column names in order and whose values are the
// engine's JSON forms (jet/value_text.h), which the script turns mdb-reader's
// values into for every column type.
std::vector<std::string> json_rows(jet::Database& db, const std::vector<std::string>& tables) {
    static const Utf8 utf8;
    std::vector<std::string> lines;
    for (const std::string& name : tables) {
        const jet::TableDefinition& table = db.table(name);
        if (tables.size() > 1) {
            lines.push_back("# Table: " + table.name);
        }
        std::vector<std::string> keys;
        for (const jet::Column& column : table.columns) {
            keys.push_back(jet::json_value(jet::Text{column.name}, jet::ColumnType::Text, utf8));
        }
        db.for_each_row(table, [&](jet::RowPointer, const std::vector<jet::Value>& row) {
            std::string line = "{";
            for (std::size_t i = 0; i < row.size(); ++i) {
                line += i ? "," : "";
                line +=
                    keys[i] + ":" + jet::json_value(row[i], table.columns[i].type, db.code_page());
            }
            lines.push_back(line + "}");
        });
    }
    return lines;
}

// The keys the referenced table of `relation` holds, typed as the
// referencing columns at `positions` of `table`.
std::vector<std::vector<jet::Value>> referenced_keys(jet::Database& db,
                                                     const jet::Relationship& relation,
                                                     const jet::TableDefinition& table,
                                                     const std::vector<std::size_t>& positions) {
    const jet::TableDefinition& referenced = db.table(relation.referenced_table);
    std::vector<std::size_t> columns;
    for (const std::string& name : relation.referenced_columns) {
        for (std::size_t i = 0; i < referenced.columns.size(); ++i) {
            if (referenced.columns[i].name == name) {
                columns.push_back(i);
            }
        }
    }
    std::vector<std::vector<jet::Value>> keys;
    db.for_each_row(referenced, [&](jet::RowPointer, const std::vector<jet::Value>& row) {
        std::vector<jet::Value> key;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (table.columns[positions[i]].type != referenced.columns[columns[i]].type) {
                return;
            }
            key.push_back(row[columns[i]]);
        }
        keys.push_back(std::move(key));
    });
    return keys;
}

class AppendToFixtureTest : public ::testing::TestWithParam<std::string> {};

TEST_P(AppendToFixtureTest, EveryUserTableTakes2000RowsThatEveryReaderReturns) {
    SKIP_WITHOUT_FIXTURES();
    FixtureCopy copy(GetParam());
    const bool exporter = require_program("mdb-export");

    std::map<std::string, std::multiset<std::string>> expected;
    std::map<std::string, std::size_t> exported_before;
    std::map<std::string, std::size_t> added;
    {
        jet::OpenOptions options;
        options.code_page = 1252;
        options.writable = true;
        auto db = jet::Database::open(copy.path(), options);
        std::mt19937_64 random(42);
        for (const std::string& name : db->table_names()) {
            expected[name] = table_rows(*db, name);
            if (exporter) {
                exported_before[name] = mdb_export_rows(copy.path(), name);
            }
            std::optional<jet::TableWriter> writer_or_refusal;
            try {
                writer_or_refusal.emplace(*db, name);
            } catch (const jet::WriteRefused& e) {
                // Validation rules keep a table from being written at all.
                ASSERT_EQ(e.kind(), jet::WriteRefused::Kind::ValidationRule) << e.what();
                continue;
            }
            jet::TableWriter& writer = *writer_or_refusal;
            jet_test::RowGenerator generator(writer.table(), random);
            for (const jet::Relationship& relation : jet::enforced_relationships_of(*db, name)) {
                std::vector<std::size_t> positions;
                for (const std::string& column : relation.columns) {
                    positions.push_back(writer.column_position(column));
                }
                generator.add_foreign_key(
                    positions, referenced_keys(*db, relation, writer.table(), positions));
            }
            for (int n = 0; n < kRowsPerTable; ++n) {
                for (int attempt = 0;; ++attempt) {
                    auto values = generator.next();
                    try {
                        const jet::RowPointer at = writer.insert(values);
                        const auto stored = db->read_row(writer.table(), at);
                        for (std::size_t i = 0; i < stored.size(); ++i) {
                            if (!jet_test::RowGenerator::is_autonumber(writer.table().columns[i]) &&
                                values[i]) {
                                ASSERT_EQ(stored[i], *values[i])
                                    << name << "." << writer.table().columns[i].name;
                            }
                        }
                        expected[name].insert(row_text(writer.table(), stored, db->code_page()));
                        ++added[name];
                        break;
                    } catch (const jet::WriteRefused& e) {
                        // Random values may repeat a key or leave a Required field or an
                        // AllowZeroLength-less memo empty: the next row is another draw.
                        ASSERT_TRUE(e.kind() == jet::WriteRefused::Kind::DuplicateKey ||
                                    e.kind() == jet::WriteRefused::Kind::RequiredMissing ||
                                    e.kind() == jet::WriteRefused::Kind::ZeroLength)
                            << e.what();
                        ASSERT_LT(attempt, 50) << name << ": " << e.what();
                    }
                }
            }
        }
        db->close();
    }

    jet::OpenOptions options;
    options.code_page = 1252;
    auto db = jet::Database::open(copy.path(), options);
    for (const auto& [name, rows] : expected) {
        EXPECT_EQ(table_rows(*db, name), rows) << name;
        EXPECT_EQ(db->table(name).row_count, rows.size()) << name;
        if (exporter) {
            EXPECT_EQ(mdb_export_rows(copy.path(), name), exported_before[name] + added[name])
                << "mdb-export, table " << name;
        }
    }
    const jet::CheckReport report = jet::check_database(*db);
    for (const jet::Finding& finding : report.findings) {
        if (finding.severity == jet::Severity::Error) {
            ADD_FAILURE() << jet::format_finding(finding);
        }
    }

    if (require_program("node")) {
        const std::vector<std::string> tables = db->table_names();
        std::string command = "node '" LISTSONG_SOURCE "/tests/tools/mdb-reader-dump.mjs' '" +
                              copy.path().string() + "'";
        for (const std::string& name : tables) {
            command += " '" + name + "'";
        }
        int status = 0;
        const std::vector<std::string> reference =
            lines_of(run_command(command + " --codepage 1252", status));
        EXPECT_EQ(status, 0) << "mdb-reader-dump.mjs failed";
        const std::vector<std::string> ours = json_rows(*db, tables);
        EXPECT_EQ(reference.size(), ours.size()) << "lines from mdb-reader and from the engine";
        const auto [our_line, reference_line] =
            std::mismatch(ours.begin(), ours.end(), reference.begin(), reference.end());
        if (our_line != ours.end() && reference_line != reference.end()) {
            const std::size_t at = std::mismatch(our_line->begin(), our_line->end(),
                                                 reference_line->begin(), reference_line->end())
                                       .first -
                                   our_line->begin();
            ADD_FAILURE() << "mdb-reader returns other rows than the engine, first on line "
                          << our_line - ours.begin() + 1 << " at character " << at + 1
                          << "\n  engine:     " << excerpt(*our_line, at)
                          << "\n  mdb-reader: " << excerpt(*reference_line, at);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(RealFiles, AppendToFixtureTest,
                         ::testing::Values("acc97.mdb", "delTestV1997.mdb", "indexTestV1997.mdb",
                                           "nwind.mdb", "overflowTestV1997.mdb",
                                           "queryTestV1997.mdb", "size97.mdb",
                                           "testIndexCodesV1997.mdb", "testV1997.mdb"),
                         [](const auto& info) {
                             std::string name = info.param.substr(0, info.param.find('.'));
                             return name;
                         });

}  // namespace
