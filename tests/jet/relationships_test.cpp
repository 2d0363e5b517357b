#include "jet/relationships.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "jet/write_error.h"
#include "tests/support/fixtures.h"

namespace {

using jet::Value;

class NorthwindRelationshipsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SKIP_WITHOUT_FIXTURES();
        db_ = jet::Database::open(jet_test::fixture("nwind.mdb"), {.code_page = 1252});
    }

    const jet::Relationship& named(const std::vector<jet::Relationship>& all,
                                   const std::string& name) {
        const auto found = std::find_if(all.begin(), all.end(),
                                        [&](const jet::Relationship& r) { return r.name == name; });
        EXPECT_NE(found, all.end()) << name;
        return *found;
    }

    std::vector<std::string> names(const std::vector<jet::Relationship>& relationships) {
        std::vector<std::string> out;
        for (const auto& r : relationships)
            out.push_back(r.name);
        std::sort(out.begin(), out.end());
        return out;
    }

    std::unique_ptr<jet::Database> db_;
};

TEST_F(NorthwindRelationshipsTest, AreReadWithTheirSidesColumnsAndFlags) {
    const auto all = jet::read_relationships(*db_);
    EXPECT_EQ(all.size(), 7u);
    const jet::Relationship& customers = named(all, "CustomersOrders");
    EXPECT_EQ(customers.table, "Orders");
    EXPECT_EQ(customers.columns, std::vector<std::string>{"CustomerID"});
    EXPECT_EQ(customers.referenced_table, "Customers");
    EXPECT_EQ(customers.referenced_columns, std::vector<std::string>{"CustomerID"});
    EXPECT_EQ(customers.flags, jet::Relationship::kCascadeUpdates);
    EXPECT_EQ(named(all, "OrdersOrder Details").flags, jet::Relationship::kCascadeDeletes);
    EXPECT_EQ(named(all, "ShippersOrders").referenced_columns,
              std::vector<std::string>{"ShipperID"});
    for (const auto& r : all)
        EXPECT_TRUE(r.enforced()) << r.name;

    EXPECT_EQ(names(jet::enforced_relationships_of(*db_, "orders")),
              (std::vector<std::string>{"CustomersOrders", "EmployeesOrders", "ShippersOrders"}));
    EXPECT_EQ(names(jet::enforced_relationships_of(*db_, "Order Details")),
              (std::vector<std::string>{"OrdersOrder Details", "ProductsOrder Details"}));
    EXPECT_TRUE(jet::enforced_relationships_of(*db_, "Customers").empty());
}

TEST_F(NorthwindRelationshipsTest, ForeignKeysAreLookedUpInTheReferencedTable) {
    const auto all = jet::read_relationships(*db_);
    const jet::Relationship& customers = named(all, "CustomersOrders");
    EXPECT_TRUE(jet::has_matching_row(*db_, customers, {jet::Text{"ALFKI"}}));
    EXPECT_TRUE(jet::has_matching_row(*db_, customers, {jet::Text{"WOLZA"}}));
    // Compared as the index compares text: case does not count, as in Access.
    EXPECT_TRUE(jet::has_matching_row(*db_, customers, {jet::Text{"alfki"}}));
    EXPECT_FALSE(jet::has_matching_row(*db_, customers, {jet::Text{"ALFK"}}));
    EXPECT_FALSE(jet::has_matching_row(*db_, customers, {jet::Text{"ZZZZZ"}}));
    EXPECT_TRUE(jet::has_matching_row(*db_, customers, {jet::Null{}}));

    const jet::Relationship& orders = named(all, "OrdersOrder Details");
    EXPECT_TRUE(jet::has_matching_row(*db_, orders, {std::int32_t{10248}}));
    EXPECT_TRUE(jet::has_matching_row(*db_, orders, {std::int32_t{11077}}));
    EXPECT_FALSE(jet::has_matching_row(*db_, orders, {std::int32_t{10247}}));
    EXPECT_FALSE(jet::has_matching_row(*db_, orders, {std::int32_t{-1}}));

    const jet::Relationship& products = named(all, "ProductsOrder Details");
    EXPECT_TRUE(jet::has_matching_row(*db_, products, {std::int32_t{1}}));
    EXPECT_TRUE(jet::has_matching_row(*db_, products, {std::int32_t{77}}));
    EXPECT_FALSE(jet::has_matching_row(*db_, products, {std::int32_t{78}}));

    EXPECT_THROW(jet::has_matching_row(*db_, products, {}), std::invalid_argument);
}

// Every foreign key already stored finds its row, by index and by scan alike.
TEST_F(NorthwindRelationshipsTest, StoredRowsAllMatchAndAScanAgreesWithTheIndex) {
    for (const auto& relationship : jet::read_relationships(*db_)) {
        const jet::TableDefinition& table = db_->table(relationship.table);
        std::size_t rows = 0;
        db_->for_each_row(table, [&](jet::RowPointer, const std::vector<Value>& row) {
            EXPECT_NO_THROW(jet::refuse_broken_relationships(*db_, table, {relationship}, row))
                << relationship.name;
            ++rows;
        });
        EXPECT_GT(rows, 0u) << relationship.name;
    }
    // City has no index in Customers, so this relationship is checked by a scan.
    jet::Relationship by_city;
    by_city.name = "CustomersCity";
    by_city.table = "Suppliers";
    by_city.columns = {"City"};
    by_city.referenced_table = "Customers";
    by_city.referenced_columns = {"City"};
    EXPECT_TRUE(jet::has_matching_row(*db_, by_city, {jet::Text{"Berlin"}}));
    EXPECT_TRUE(jet::has_matching_row(*db_, by_city, {jet::Text{"BERLIN"}}));
    EXPECT_FALSE(jet::has_matching_row(*db_, by_city, {jet::Text{"Atlantis"}}));
}

TEST_F(NorthwindRelationshipsTest, ARowWithoutItsReferencedRowIsRefusedNamingTheRelationship) {
    const jet::TableDefinition& orders = db_->table("Orders");
    const auto relationships = jet::enforced_relationships_of(*db_, "Orders");
    std::vector<Value> row(orders.columns.size(), jet::Null{});
    const auto set = [&](const char* name, Value value) {
        row[orders.column_by_name(name) - orders.columns.data()] = std::move(value);
    };
    set("CustomerID", jet::Text{"ALFKI"});
    set("EmployeeID", std::int32_t{1});
    set("ShipVia", std::int32_t{3});
    EXPECT_NO_THROW(jet::refuse_broken_relationships(*db_, orders, relationships, row));
    set("ShipVia", jet::Null{});
    EXPECT_NO_THROW(jet::refuse_broken_relationships(*db_, orders, relationships, row));
    set("ShipVia", std::int32_t{4});
    try {
        jet::refuse_broken_relationships(*db_, orders, relationships, row);
        FAIL() << "a shipper that does not exist was accepted";
    } catch (const jet::WriteRefused& e) {
        EXPECT_EQ(e.kind(), jet::WriteRefused::Kind::BrokenRelationship);
        EXPECT_STREQ(e.what(),
                     "relationship 'ShippersOrders': table 'Shippers' has no row for ShipVia = 4 "
                     "of table 'Orders'");
    }
}

TEST(RelationshipsTest, IntegrityFlagsOfAnotherRealFile) {
    SKIP_WITHOUT_FIXTURES();
    auto db = jet::Database::open(jet_test::fixture("indexTestV1997.mdb"), {.code_page = 1252});
    const auto relationships = jet::enforced_relationships_of(*db, "Table1");
    ASSERT_EQ(relationships.size(), 2u);
    for (const auto& r : relationships) {
        EXPECT_EQ(r.table, "Table1");
        EXPECT_EQ(r.referenced_columns, std::vector<std::string>{"id"});
    }
    auto empty = jet::Database::open(jet_test::fixture("size97.mdb"), {.code_page = 1252});
    EXPECT_TRUE(jet::read_relationships(*empty).empty());
}

}  // namespace
