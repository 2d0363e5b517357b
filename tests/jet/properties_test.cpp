#include "jet/properties.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "jet/error.h"
#include "jet/write_error.h"
#include "tests/support/fixtures.h"

namespace {

using jet::DefaultValue;
using jet::Value;
using Kind = jet::WriteRefused::Kind;

const jet::CodePage& western() {
    return jet::CodePage::get(1252);
}

// Builds property data: a names chunk, then chunks of (name, text value) records.
class BlobBuilder {
  public:
    explicit BlobBuilder(std::vector<std::string> names) : names_(std::move(names)) {
        bytes_ = {'K', 'K', 'D', 0};
        std::vector<std::uint8_t> data;
        for (const auto& name : names_) {
            put16(data, name.size());
            data.insert(data.end(), name.begin(), name.end());
        }
        chunk(0x80, data);
    }

    // `records`: (position in the names list, data type, value bytes).
    BlobBuilder& block(std::uint16_t kind, const std::string& name,
                       const std::vector<std::tuple<int, int, std::string>>& records) {
        std::vector<std::uint8_t> data;
        put32(data, 6 + name.size());
        put16(data, name.size());
        data.insert(data.end(), name.begin(), name.end());
        for (const auto& [index, type, value] : records) {
            put16(data, 8 + value.size());
            data.push_back(1);
            data.push_back(static_cast<std::uint8_t>(type));
            put16(data, index);
            put16(data, value.size());
            data.insert(data.end(), value.begin(), value.end());
        }
        chunk(kind, data);
        return *this;
    }

    std::vector<std::uint8_t> bytes() const { return bytes_; }

  private:
    static void put16(std::vector<std::uint8_t>& out, std::size_t v) {
        out.push_back(v & 0xFF);
        out.push_back((v >> 8) & 0xFF);
    }
    static void put32(std::vector<std::uint8_t>& out, std::size_t v) {
        put16(out, v & 0xFFFF);
        put16(out, v >> 16);
    }
    void chunk(std::uint16_t kind, const std::vector<std::uint8_t>& data) {
        put32(bytes_, 6 + data.size());
        put16(bytes_, kind);
        bytes_.insert(bytes_.end(), data.begin(), data.end());
    }

    std::vector<std::string> names_;
    std::vector<std::uint8_t> bytes_;
};

constexpr int kYesNo = 1;
constexpr int kMemo = 12;

// The DefaultValue that a column's blob with this expression gives.
DefaultValue default_of(const std::string& expression) {
    const auto blob =
        BlobBuilder({"DefaultValue"}).block(1, "Col", {{0, kMemo, expression}}).bytes();
    const auto properties = jet::parse_table_properties(blob, western(), "test");
    return *properties.column("col").default_value;
}

jet::Column column(jet::ColumnType type, std::uint16_t size = 0) {
    jet::Column c;
    c.name = "Col";
    c.type = type;
    c.size = size;
    return c;
}

TEST(PropertiesTest, BlocksGiveTableAndColumnProperties) {
    const auto blob =
        BlobBuilder({"Required", "AllowZeroLength", "ValidationRule", "ValidationText", "Caption"})
            .block(0, "", {{2, kMemo, "[A]<[B]"}, {3, kMemo, "A before B"}})
            .block(1, "Name", {{0, kYesNo, std::string(1, '\1')}, {4, kMemo, "The name"}})
            .block(1, "Note",
                   {{1, kYesNo, std::string(1, '\1')}, {0, kYesNo, std::string(1, '\0')}})
            .bytes();
    const auto properties = jet::parse_table_properties(blob, western(), "test");
    EXPECT_EQ(properties.validation_rule, "[A]<[B]");
    EXPECT_EQ(properties.validation_text, "A before B");
    EXPECT_TRUE(properties.column("NAME").required);
    EXPECT_FALSE(properties.column("Name").allow_zero_length);
    EXPECT_TRUE(properties.column("Note").allow_zero_length);
    EXPECT_FALSE(properties.column("Note").required);
    EXPECT_FALSE(properties.column("Other").required);
    EXPECT_FALSE(properties.column("Other").default_value);
}

TEST(PropertiesTest, DefaultValuesAreLiteralsOrExpressions) {
    const auto is = [](const std::string& expression, DefaultValue::Kind kind,
                       const std::string& literal) {
        const DefaultValue d = default_of(expression);
        EXPECT_EQ(d.kind, kind) << expression;
        EXPECT_EQ(d.literal, literal) << expression;
        EXPECT_EQ(d.expression, expression);
    };
    is("0", DefaultValue::Kind::Number, "0");
    is("=-1.5E3", DefaultValue::Kind::Number, "-1.5E3");
    is("\"USA\"", DefaultValue::Kind::String, "USA");
    is("= 'It''s'", DefaultValue::Kind::String, "It's");
    is("\"\"", DefaultValue::Kind::String, "");
    is("=No", DefaultValue::Kind::Boolean, "False");
    is("yes", DefaultValue::Kind::Boolean, "True");
    is("Null", DefaultValue::Kind::Null, "");
    is("#1/31/1998#", DefaultValue::Kind::Date, "1998-01-31T00:00:00");
    is("#1998-01-31 10:05#", DefaultValue::Kind::Date, "1998-01-31T10:05:00");
    is("#10:00:30 PM#", DefaultValue::Kind::Date, "1899-12-30T22:00:30");
    for (const char* expression : {"=Date()", "Now()", "GenGUID()", "\"a\" & \"b\"", "1+1",
                                   "#tomorrow#", "\"open", "'a'b'"}) {
        EXPECT_EQ(default_of(expression).kind, DefaultValue::Kind::Expression) << expression;
    }
}

TEST(PropertiesTest, UnsetColumnsTakeTheirLiteralDefaultOrNull) {
    const auto unset = [](const std::string& expression, const jet::Column& c) {
        jet::ColumnProperties properties;
        properties.default_value = default_of(expression);
        return jet::value_for_unset_column(c, properties, western());
    };
    EXPECT_EQ(unset("0", column(jet::ColumnType::Currency)), Value(jet::Currency{0}));
    EXPECT_EQ(unset("=No", column(jet::ColumnType::Boolean)), Value(false));
    EXPECT_EQ(unset("True", column(jet::ColumnType::Integer)), Value(std::int16_t{-1}));
    EXPECT_EQ(unset("\"USA\"", column(jet::ColumnType::Text, 15)), Value(jet::Text{"USA"}));
    EXPECT_EQ(unset("#12/29/1899 6:00 AM#", column(jet::ColumnType::DateTime)),
              Value(jet::DateTime{-1.25}));
    EXPECT_EQ(unset("=Date()", column(jet::ColumnType::DateTime)), Value(jet::Null{}));
    EXPECT_EQ(unset("Null", column(jet::ColumnType::Long)), Value(jet::Null{}));
    EXPECT_EQ(jet::value_for_unset_column(column(jet::ColumnType::Long), {}, western()),
              Value(jet::Null{}));
    EXPECT_THROW(unset("\"toolong\"", column(jet::ColumnType::Text, 3)), jet::WriteRefused);
}

TEST(PropertiesTest, RequiredAndZeroLengthRefuseValues) {
    const auto refusal = [](const jet::ColumnProperties& properties, const jet::Column& c,
                            const Value& value) -> std::optional<Kind> {
        try {
            jet::check_column_value(c, properties, value);
        } catch (const jet::WriteRefused& e) {
            EXPECT_NE(std::string(e.what()).find("'Col'"), std::string::npos) << e.what();
            return e.kind();
        }
        return std::nullopt;
    };
    jet::ColumnProperties required;
    required.required = true;
    required.allow_zero_length = true;
    const jet::Column text = column(jet::ColumnType::Text, 10);
    EXPECT_EQ(refusal(required, text, jet::Null{}), Kind::RequiredMissing);
    EXPECT_EQ(refusal(required, text, jet::Text{}), std::nullopt);
    EXPECT_EQ(refusal({}, text, jet::Null{}), std::nullopt);
    EXPECT_EQ(refusal({}, text, jet::Text{}), Kind::ZeroLength);
    EXPECT_EQ(refusal({}, column(jet::ColumnType::Memo), jet::Text{}), Kind::ZeroLength);
    EXPECT_EQ(refusal({}, text, jet::Text{" "}), std::nullopt);
}

TEST(PropertiesTest, DamagedDataIsAFormatError) {
    const auto good =
        BlobBuilder({"Required"}).block(1, "Col", {{0, kYesNo, std::string(1, '\1')}}).bytes();
    auto bad_signature = good;
    bad_signature[0] = 'M';
    EXPECT_THROW(jet::parse_table_properties(bad_signature, western(), "t"), jet::FormatError);
    for (std::size_t cut = 5; cut < good.size(); ++cut) {
        if (cut == 4 + 16)
            continue;  // the blob ends whole after its names chunk
        const std::vector<std::uint8_t> truncated(good.begin(), good.begin() + cut);
        EXPECT_THROW(jet::parse_table_properties(truncated, western(), "t"), jet::FormatError)
            << "cut at " << cut;
    }
    const auto unknown_name =
        BlobBuilder({"Required"}).block(1, "Col", {{7, kYesNo, std::string(1, '\1')}}).bytes();
    EXPECT_THROW(jet::parse_table_properties(unknown_name, western(), "t"), jet::FormatError);
    auto unknown_chunk = good;
    unknown_chunk[4 + 16 + 4] = 0x07;  // the column chunk's kind, after the names chunk
    EXPECT_THROW(jet::parse_table_properties(unknown_chunk, western(), "t"), jet::FormatError);
}

TEST(PropertiesTest, NorthwindRequiredFieldsDefaultsAndRules) {
    SKIP_WITHOUT_FIXTURES();
    auto db = jet::Database::open(jet_test::fixture("nwind.mdb"), {.code_page = 1252});

    const jet::TableDefinition& customers = db->table("Customers");
    const auto customer_properties = jet::read_table_properties(*db, customers);
    EXPECT_TRUE(customer_properties.column("CompanyName").required);
    EXPECT_FALSE(customer_properties.column("ContactName").required);
    EXPECT_FALSE(customer_properties.column("ContactName").allow_zero_length);
    EXPECT_NO_THROW(jet::refuse_validation_rules(customers, customer_properties));

    const jet::TableDefinition& products = db->table("Products");
    const auto product_properties = jet::read_table_properties(*db, products);
    EXPECT_EQ(product_properties.column("UnitPrice").validation_rule, ">=0");
    EXPECT_EQ(
        jet::value_for_unset_column(*products.column_by_name("Discontinued"),
                                    product_properties.column("Discontinued"), db->code_page()),
        Value(false));
    EXPECT_EQ(
        jet::value_for_unset_column(*products.column_by_name("UnitsInStock"),
                                    product_properties.column("UnitsInStock"), db->code_page()),
        Value(std::int16_t{0}));
    try {
        jet::refuse_validation_rules(products, product_properties);
        FAIL() << "Products has validation rules";
    } catch (const jet::WriteRefused& e) {
        EXPECT_EQ(e.kind(), Kind::ValidationRule);
        EXPECT_NE(std::string(e.what()).find("'UnitPrice'"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("'Products'"), std::string::npos) << e.what();
    }

    const auto employees = jet::read_table_properties(*db, db->table("Employees"));
    EXPECT_EQ(employees.column("BirthDate").validation_rule, "<Date()");
}

TEST(PropertiesTest, EveryRealFileReadsAndAnExpressionDefaultIsNotALiteral) {
    SKIP_WITHOUT_FIXTURES();
    for (const std::filesystem::path& file : jet_test::readable_fixtures()) {
        const std::unique_ptr<jet::Database> db = jet::Database::open(file, {.code_page = 1252});
        for (const auto& name : db->table_names()) {
            EXPECT_NO_THROW(jet::read_table_properties(*db, db->table(name)))
                << file.filename() << " " << name;
        }
    }
    auto db = jet::Database::open(jet_test::fixture("testV1997.mdb"), {.code_page = 1252});
    const jet::TableDefinition& table = db->table("Table4");
    const auto properties = jet::read_table_properties(*db, table);
    const auto data = properties.column("data");
    ASSERT_TRUE(data.default_value);
    EXPECT_EQ(data.default_value->expression, "GenGUID()");
    EXPECT_FALSE(data.default_value->is_literal());
    EXPECT_EQ(jet::value_for_unset_column(*table.column_by_name("data"), data, db->code_page()),
              Value(jet::Null{}));
}

}  // namespace
