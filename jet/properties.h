// Field and table properties that the engine enforces when it stores a row:
// Required, AllowZeroLength, DefaultValue and ValidationRule, read from the
// property data the catalogue keeps for each table (MSysObjects.LvProp).
// The byte layout of that data is described at the top of properties.cpp.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "jet/codepage.h"
#include "jet/database.h"
#include "jet/table_definition.h"
#include "jet/value.h"

namespace jet {

// A DefaultValue as Access keeps it: an expression, which is often a literal.
struct DefaultValue {
    enum class Kind {
        Number,      // 0, -1.5, 2E3
        String,      // "USA" or 'USA' (a doubled quote inside stands for one)
        Boolean,     // True, False, Yes, No, On, Off
        Date,        // #1/31/1998#, #1998-01-31 10:00#, #10:00 PM#
        Null,        // Null
        Expression,  // anything else, e.g. Date() or Now(): the engine cannot evaluate it
    };

    std::string expression;  // as stored, UTF-8, with any leading "=" kept
    Kind kind = Kind::Expression;
    // For a literal other than Null: the text that value_from_text converts,
    // i.e. the number, the unquoted string, "True"/"False", or the date in
    // ISO form ("1998-01-31T10:00:00").
    std::string literal;

    bool is_literal() const { return kind != Kind::Expression; }
};

struct ColumnProperties {
    std::string name;  // the column's name, UTF-8
    // A column without these properties takes the engine's defaults: not
    // required, zero-length strings refused.
    bool required = false;
    bool allow_zero_length = false;
    std::optional<DefaultValue> default_value;
    std::string validation_rule;  // empty when the column has none
    std::string validation_text;
};

struct TableProperties {
    std::string validation_rule;  // the table-level rule; empty when none
    std::string validation_text;
    std::vector<ColumnProperties> columns;  // only the columns that have properties

    // The properties of the named column (ASCII case-insensitive), or the
    // defaults when the column has none.
    ColumnProperties column(std::string_view name) const;
};

// Decodes a property blob (the layout is described in properties.cpp). Text
// is converted from `code_page`. Throws FormatError naming `what` when the
// blob is damaged.
TableProperties parse_table_properties(std::span<const std::uint8_t> blob,
                                       const CodePage& code_page, const std::string& what);

// The properties of `table`, from its catalogue row; all defaults when the
// row has no property data.
TableProperties read_table_properties(Database& db, const TableDefinition& table);

// Throws WriteRefused (ValidationRule) when the table or any of its columns
// has a validation rule: the engine cannot evaluate the rules, and must never
// store a row that Access would refuse. The message names the table and the
// first column with a rule.
void refuse_validation_rules(const TableDefinition& table, const TableProperties& properties);

// The value a column left unset receives: its DefaultValue when that is a
// literal, converted by value_from_text (WriteRefused when the literal does
// not fit the column), and null otherwise, a default expression included.
Value value_for_unset_column(const Column& column, const ColumnProperties& properties,
                             const CodePage& code_page);

// Refuses a value that breaks the column's properties: null in a Required
// column (RequiredMissing), an empty Text or Memo where AllowZeroLength is
// not set (ZeroLength). `value` is what will be stored, autonumbers and
// defaults included.
void check_column_value(const Column& column, const ColumnProperties& properties,
                        const Value& value);

}  // namespace jet
