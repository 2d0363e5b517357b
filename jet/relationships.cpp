// Relationships live in the system table MSysRelationships, one row per
// column pair of each relationship:
//
//   szRelationship       Text  the relationship's name
//   szObject             Text  the referencing (foreign, "many") table
//   szColumn             Text  a column of its foreign key
//   szReferencedObject   Text  the referenced (primary, "one") table
//   szReferencedColumn   Text  the column that szColumn refers to
//   ccolumn              Long  how many column pairs the relationship has
//   icolumn              Long  this pair's position in the key, from 0
//   grbit                Long  flags: 0x1 one-to-one, 0x2 integrity NOT
//                              enforced, 0x100 cascading updates, 0x1000
//                              cascading deletes
//
// Access 97 writes every relationship made with "Enforce Referential
// Integrity" with bit 0x2 clear; Northwind's seven relationships are all
// enforced (grbit 0, 0x100 or 0x1000).
#include "jet/relationships.h"

#include <algorithm>
#include <stdexcept>

#include "jet/ascii.h"
#include "jet/database_pager.h"
#include "jet/error.h"
#include "jet/index_key.h"
#include "jet/index_reader.h"
#include "jet/value_text.h"
#include "jet/write_error.h"

namespace jet {

namespace {

// Positions of named columns in a table's rows.
class ColumnPositions {
  public:
    explicit ColumnPositions(const TableDefinition& table) : table_(table) {}

    std::size_t operator()(std::string_view name) const {
        const Column* column = table_.column_by_name(name);
        if (column == nullptr) {
            throw FormatError("table '" + table_.name + "' has no column '" + std::string(name) +
                              "', which a relationship names");
        }
        return static_cast<std::size_t>(column - table_.columns.data());
    }

  private:
    const TableDefinition& table_;
};

std::string text_of(const Value& value, const Database& db) {
    if (const auto* text = std::get_if<Text>(&value))
        return db.code_page().to_utf8(text->bytes);
    return {};
}

std::int32_t long_of(const Value& value, const char* column) {
    if (const auto* n = std::get_if<std::int32_t>(&value))
        return *n;
    throw FormatError(std::string("a row of MSysRelationships has no number in ") + column);
}

// A row of `table` that holds `key` in the named columns and nulls elsewhere.
std::vector<Value> row_with(const TableDefinition& table, const std::vector<std::string>& columns,
                            const std::vector<Value>& key) {
    const ColumnPositions position(table);
    std::vector<Value> row(table.columns.size(), Null{});
    for (std::size_t i = 0; i < columns.size(); ++i)
        row[position(columns[i])] = key[i];
    return row;
}

// An index of `table` on exactly the named columns, unique ones preferred.
const RealIndex* index_on(const TableDefinition& table, const std::vector<std::string>& columns) {
    const ColumnPositions position(table);
    std::vector<std::uint16_t> wanted;
    for (const std::string& name : columns)
        wanted.push_back(table.columns[position(name)].number);
    std::sort(wanted.begin(), wanted.end());
    const RealIndex* found = nullptr;
    for (const RealIndex& index : table.real_indexes) {
        std::vector<std::uint16_t> indexed;
        for (const IndexColumn& c : index.columns)
            indexed.push_back(c.column_number);
        std::sort(indexed.begin(), indexed.end());
        if (indexed == wanted && (found == nullptr || (index.unique() && !found->unique())))
            found = &index;
    }
    return found;
}

// The key bytes of the named columns of a row, compared as an ascending index would.
std::vector<std::uint8_t> comparison_key(const TableDefinition& table,
                                         const std::vector<std::string>& columns,
                                         const std::vector<Value>& row) {
    const ColumnPositions position(table);
    std::vector<std::uint8_t> key;
    for (const std::string& name : columns) {
        const std::size_t at = position(name);
        const Column& column = table.columns[at];
        append_column_key(key, {column.type, true, column.sort_order, column.name}, row[at]);
    }
    return key;
}

}  // namespace

std::vector<Relationship> read_relationships(Database& db) {
    const TableDefinition& table = db.table("MSysRelationships");
    const ColumnPositions position(table);
    const std::size_t name = position("szRelationship");
    const std::size_t object = position("szObject");
    const std::size_t column = position("szColumn");
    const std::size_t referenced_object = position("szReferencedObject");
    const std::size_t referenced_column = position("szReferencedColumn");
    const std::size_t count = position("ccolumn");
    const std::size_t index = position("icolumn");
    const std::size_t flags = position("grbit");

    struct Pair {
        std::int32_t index;
        std::string column;
        std::string referenced_column;
    };
    std::vector<Relationship> relationships;
    std::vector<std::vector<Pair>> pairs;
    std::vector<std::int32_t> counts;
    db.for_each_row(table, [&](RowPointer, const std::vector<Value>& row) {
        const std::string relationship_name = text_of(row[name], db);
        auto found =
            std::find_if(relationships.begin(), relationships.end(),
                         [&](const Relationship& r) { return r.name == relationship_name; });
        if (found == relationships.end()) {
            Relationship r;
            r.name = relationship_name;
            r.table = text_of(row[object], db);
            r.referenced_table = text_of(row[referenced_object], db);
            r.flags = static_cast<std::uint32_t>(long_of(row[flags], "grbit"));
            relationships.push_back(std::move(r));
            pairs.emplace_back();
            counts.push_back(long_of(row[count], "ccolumn"));
            found = relationships.end() - 1;
        }
        pairs[found - relationships.begin()].push_back({long_of(row[index], "icolumn"),
                                                        text_of(row[column], db),
                                                        text_of(row[referenced_column], db)});
    });
    for (std::size_t r = 0; r < relationships.size(); ++r) {
        std::sort(pairs[r].begin(), pairs[r].end(),
                  [](const Pair& a, const Pair& b) { return a.index < b.index; });
        for (std::size_t i = 0; i < pairs[r].size(); ++i) {
            if (pairs[r][i].index != static_cast<std::int32_t>(i) ||
                counts[r] != static_cast<std::int32_t>(pairs[r].size())) {
                throw FormatError("relationship '" + relationships[r].name + "' in " +
                                  "MSysRelationships has " + std::to_string(pairs[r].size()) +
                                  " column rows that do not number 0 to " +
                                  std::to_string(counts[r] - 1));
            }
            relationships[r].columns.push_back(pairs[r][i].column);
            relationships[r].referenced_columns.push_back(pairs[r][i].referenced_column);
        }
    }
    return relationships;
}

std::vector<Relationship> enforced_relationships_of(Database& db, std::string_view table) {
    std::vector<Relationship> enforced;
    for (Relationship& r : read_relationships(db)) {
        if (r.enforced() && ascii_iequal(r.table, table))
            enforced.push_back(std::move(r));
    }
    return enforced;
}

bool has_matching_row(Database& db, const Relationship& relationship,
                      const std::vector<Value>& key) {
    if (key.size() != relationship.referenced_columns.size()) {
        throw std::invalid_argument("relationship '" + relationship.name + "' has " +
                                    std::to_string(relationship.referenced_columns.size()) +
                                    " columns, the key given has " + std::to_string(key.size()));
    }
    if (std::any_of(key.begin(), key.end(), is_null))
        return true;
    const TableDefinition& referenced = db.table(relationship.referenced_table);
    const std::vector<Value> wanted = row_with(referenced, relationship.referenced_columns, key);
    if (const RealIndex* index = index_on(referenced, relationship.referenced_columns)) {
        const std::vector<std::uint8_t> index_key = row_index_key(referenced, *index, wanted);
        return !find_rows(pager_of(db), referenced, *index, index_key).empty();
    }
    const std::vector<std::uint8_t> wanted_key =
        comparison_key(referenced, relationship.referenced_columns, wanted);
    bool found = false;
    db.for_each_row(referenced, [&](RowPointer, const std::vector<Value>& row) {
        if (!found)
            found = comparison_key(referenced, relationship.referenced_columns, row) == wanted_key;
    });
    return found;
}

void refuse_broken_relationships(Database& db, const TableDefinition& table,
                                 const std::vector<Relationship>& relationships,
                                 const std::vector<Value>& row) {
    const ColumnPositions position(table);
    for (const Relationship& relationship : relationships) {
        std::vector<Value> key;
        for (const std::string& name : relationship.columns)
            key.push_back(row.at(position(name)));
        if (has_matching_row(db, relationship, key))
            continue;
        std::string shown;
        for (std::size_t i = 0; i < key.size(); ++i) {
            const Column& column = table.columns[position(relationship.columns[i])];
            shown += (i == 0 ? "" : ", ") + column.name + " = " +
                     csv_value(key[i], column.type, db.code_page());
        }
        throw WriteRefused(WriteRefused::Kind::BrokenRelationship,
                           "relationship '" + relationship.name + "': table '" +
                               relationship.referenced_table + "' has no row for " + shown +
                               " of table '" + table.name + "'");
    }
}

}  // namespace jet
