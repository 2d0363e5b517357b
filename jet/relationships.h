// Relationships between tables, and the referential integrity check a row
// must pass before it is stored: every enforced relationship in which its
// table is the referencing side must find the row's foreign key among the
// referenced table's rows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "jet/database.h"
#include "jet/table_definition.h"
#include "jet/value.h"

namespace jet {

// One relationship as the catalogue's MSysRelationships rows give it.
struct Relationship {
    std::string name;                             // szRelationship
    std::string table;                            // the referencing side (szObject)
    std::vector<std::string> columns;             // its foreign key, in key order (szColumn)
    std::string referenced_table;                 // szReferencedObject
    std::vector<std::string> referenced_columns;  // szReferencedColumn, paired with `columns`
    std::uint32_t flags = 0;                      // grbit

    static constexpr std::uint32_t kOneToOne = 0x00000001;
    static constexpr std::uint32_t kNotEnforced = 0x00000002;
    static constexpr std::uint32_t kCascadeUpdates = 0x00000100;
    static constexpr std::uint32_t kCascadeDeletes = 0x00001000;

    bool enforced() const { return (flags & kNotEnforced) == 0; }
};

// Every relationship of the database, in catalogue order. Throws FormatError
// when a relationship's rows are incomplete or inconsistent.
std::vector<Relationship> read_relationships(Database& db);

// The enforced relationships in which `table` (ASCII case-insensitive) is the
// referencing side.
std::vector<Relationship> enforced_relationships_of(Database& db, std::string_view table);

// Whether the referenced table has a row whose referenced columns equal
// `key` (values of relationship.columns, in that order, typed as the
// referenced columns are). A key with a null value matches nothing and needs
// nothing: the result is true. Text compares as the referenced table's index
// does (General sort order: case and some accents ignored), as Access
// compares it. Looks the key up in an index of the referenced table on
// exactly those columns, unique ones first; scans the table only when it has
// no such index.
bool has_matching_row(Database& db, const Relationship& relationship,
                      const std::vector<Value>& key);

// Refuses a row of `table` (values in the order of table.columns) whose
// foreign key in any of `relationships` has no matching row: WriteRefused
// (BrokenRelationship) naming the relationship, the tables and the key.
void refuse_broken_relationships(Database& db, const TableDefinition& table,
                                 const std::vector<Relationship>& relationships,
                                 const std::vector<Value>& row);

}  // namespace jet
