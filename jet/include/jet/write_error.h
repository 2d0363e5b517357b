// Refusals of the write side: a row the engine will not store, and why.
//
// Every refusal is raised before any byte of the file changes. The message
// names what the caller has to fix: the column, the index, the relationship
// or the table, and the offending text where there is one.
#pragma once

#include <string>

#include "jet/error.h"

namespace jet {

class WriteRefused : public Error {
  public:
    enum class Kind {
        MissingColumn,         // a value was given for a column the table does not have
        Conversion,            // text that does not convert to the column's type
        Overflow,              // a number outside the column type's range
        FieldTooSmall,         // text or binary longer than the column holds
        RequiredMissing,       // no value for a column whose Required property is set
        ZeroLength,            // empty text where AllowZeroLength is not set
        DuplicateKey,          // the key is already in a unique index
        BrokenRelationship,    // a foreign key without a matching row in the referenced table
        ValidationRule,        // the table or a field has a rule the engine cannot evaluate
        UnsupportedSortOrder,  // a text index under a sort order the engine cannot build
        AutoNumber,            // a value given for an AutoNumber column, which the database fills
    };

    WriteRefused(Kind kind, const std::string& message) : Error(message), kind_(kind) {}

    Kind kind() const { return kind_; }

  private:
    Kind kind_;
};

}  // namespace jet
