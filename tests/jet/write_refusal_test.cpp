// Every refusal of the writer leaves the file byte for byte as it was, and
// names what the caller has to fix.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "jet/database.h"
#include "jet/table_writer.h"
#include "jet/write_error.h"
#include "tests/support/fixtures.h"

namespace {

using jet::WriteRefused;
using Kind = jet::WriteRefused::Kind;

using jet_test::FixtureCopy;

std::unique_ptr<jet::Database> open_writable(const std::filesystem::path& path) {
    jet::OpenOptions options;
    options.code_page = 1252;
    options.writable = true;
    return jet::Database::open(path, options);
}

jet::Value text(const std::string& s) {
    return jet::Text{s};
}

// Runs `insert` against a fresh writer and expects a refusal of `kind` whose
// message contains `named`, with the file unchanged.
template <typename Insert>
void expect_refusal(const std::string& file, const std::string& table, Kind kind,
                    const std::string& named, Insert insert) {
    FixtureCopy copy(file);
    const auto before = copy.bytes();
    {
        auto db = open_writable(copy.path());
        jet::TableWriter writer(*db, table);
        try {
            insert(writer);
            ADD_FAILURE() << "the row was stored";
        } catch (const WriteRefused& e) {
            EXPECT_EQ(e.kind(), kind) << e.what();
            EXPECT_NE(std::string(e.what()).find(named), std::string::npos) << e.what();
        }
        db->close();
    }
    EXPECT_EQ(copy.bytes(), before) << "the refused row changed the file";
}

std::vector<std::optional<jet::Value>> customer(jet::TableWriter& writer, const std::string& id) {
    std::vector<std::optional<jet::Value>> row(writer.table().columns.size());
    row[writer.column_position("CustomerID")] = text(id);
    row[writer.column_position("CompanyName")] = text("Listsong Ltd");
    return row;
}

TEST(WriteRefusalTest, EachCauseIsNamedAndLeavesTheFileUnchanged) {
    SKIP_WITHOUT_FIXTURES();
    expect_refusal("nwind.mdb", "Customers", Kind::MissingColumn, "Nickname",
                   [](jet::TableWriter& w) { w.column_position("Nickname"); });
    expect_refusal("nwind.mdb", "Customers", Kind::DuplicateKey, "PrimaryKey",
                   [](jet::TableWriter& w) { w.insert(customer(w, "alfki")); });
    expect_refusal("nwind.mdb", "Customers", Kind::FieldTooSmall, "CustomerID",
                   [](jet::TableWriter& w) { w.insert(customer(w, "TOOLONG")); });
    expect_refusal("nwind.mdb", "Customers", Kind::RequiredMissing, "CompanyName",
                   [](jet::TableWriter& w) {
                       auto row = customer(w, "NEWCO");
                       row[w.column_position("CompanyName")] = jet::Value{jet::Null{}};
                       w.insert(row);
                   });
    expect_refusal("nwind.mdb", "Customers", Kind::Conversion, "City", [](jet::TableWriter& w) {
        auto row = customer(w, "NEWCO");
        row[w.column_position("City")] = jet::Value{std::int32_t{3}};
        w.insert(row);
    });
    expect_refusal("nwind.mdb", "Orders", Kind::BrokenRelationship, "Customers",
                   [](jet::TableWriter& w) {
                       std::vector<std::optional<jet::Value>> row(w.table().columns.size());
                       row[w.column_position("CustomerID")] = text("NOONE");
                       w.insert(row);
                   });
    expect_refusal("nwind.mdb", "Orders", Kind::AutoNumber,
                   "column 'OrderID' is an AutoNumber column, which the database numbers itself",
                   [](jet::TableWriter& w) {
                       std::vector<std::optional<jet::Value>> row(w.table().columns.size());
                       row[w.column_position("OrderID")] = jet::Value{std::int32_t{11078}};
                       w.insert(row);
                   });
    expect_refusal("testV1997.mdb", "Table1", Kind::DuplicateKey, "PrimaryKey",
                   [](jet::TableWriter& w) {
                       std::vector<std::optional<jet::Value>> row(w.table().columns.size());
                       row[w.column_position("A")] = text("A");  // the key folds case
                       w.insert(row);
                   });
}

TEST(WriteRefusalTest, TablesWithValidationRulesAreRefusedWhole) {
    SKIP_WITHOUT_FIXTURES();
    FixtureCopy copy("nwind.mdb");
    const auto before = copy.bytes();
    {
        auto db = open_writable(copy.path());
        try {
            jet::TableWriter writer(*db, "Employees");
            ADD_FAILURE() << "a table with a validation rule was opened for writing";
        } catch (const WriteRefused& e) {
            EXPECT_EQ(e.kind(), Kind::ValidationRule) << e.what();
            EXPECT_NE(std::string(e.what()).find("Employees"), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(copy.bytes(), before);
}

TEST(WriteSharingTest, ALockFileOrAnotherWriterKeepsTheDatabaseFromBeingWritten) {
    SKIP_WITHOUT_FIXTURES();
    FixtureCopy copy("delTestV1997.mdb");
    {
        auto first = open_writable(copy.path());
        EXPECT_THROW(open_writable(copy.path()), jet::Error);
    }
    const auto lock_file = std::filesystem::path(copy.path()).replace_extension(".ldb");
    std::ofstream(lock_file) << "OTHERPC";
    try {
        open_writable(copy.path());
        ADD_FAILURE() << "opened for writing beside a lock file";
    } catch (const jet::Error& e) {
        EXPECT_NE(std::string(e.what()).find(lock_file.filename().string()), std::string::npos)
            << e.what();
    }
    jet::OpenOptions read_only;
    EXPECT_NO_THROW(jet::Database::open(copy.path(), read_only));
}

TEST(WriteDefaultsTest, UnsetColumnsTakeLiteralDefaultsAndAutonumbersCountOn) {
    SKIP_WITHOUT_FIXTURES();
    FixtureCopy copy("size97.mdb");
    auto db = open_writable(copy.path());
    jet::TableWriter writer(*db, "table1");
    const auto id = writer.column_position("ID");
    std::vector<std::optional<jet::Value>> row(writer.table().columns.size());
    const auto first = writer.insert(row);
    row[id] = jet::Value{jet::Null{}};  // null is as good as no value
    const auto second = writer.insert(row);
    EXPECT_EQ(db->read_row(writer.table(), first)[id], jet::Value{std::int32_t{1}});
    EXPECT_EQ(db->read_row(writer.table(), second)[id], jet::Value{std::int32_t{2}});
}

}  // namespace
