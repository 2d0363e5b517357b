// Table definitions: columns, indexes, row count and where a table's pages are.
// The definition's byte layout is described in table_definition_format.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "jet/codepage.h"
#include "jet/page.h"
#include "jet/pager.h"
#include "jet/table_definition_format.h"
#include "jet/value.h"

namespace jet {

struct Column {
    std::string name;  // UTF-8
    ColumnType type = ColumnType::Text;
    std::uint16_t number = 0;          // position in the null mask; what indexes refer to
    std::uint16_t variable_index = 0;  // slot in the variable area (variable columns)
    std::uint16_t fixed_offset = 0;    // offset in the fixed area (fixed columns)
    std::uint16_t size = 0;  // fixed size, or maximum bytes of Text/Binary; 0 for Memo/OLE
    std::uint8_t flags = 0;
    std::uint16_t sort_order = 0;
    std::uint16_t code_page = 0;

    static constexpr std::uint8_t kFixed = table_definition_format::kColumnFixed;
    static constexpr std::uint8_t kLongAutonumber = table_definition_format::kColumnLongAutonumber;
    static constexpr std::uint8_t kGuidAutonumber = table_definition_format::kColumnGuidAutonumber;
    static constexpr std::uint8_t kHyperlink = table_definition_format::kColumnHyperlink;

    bool fixed() const { return (flags & kFixed) != 0; }
    // Bytes the column takes in a row's fixed area, or its maximum size when variable.
    std::size_t stored_size() const;
    // The flags 0x04 and 0x40 mean an autonumber only on a Long and a
    // Replication ID column; Access sets 0x40 on ordinary Text and Date/Time
    // columns too.
    bool long_autonumber() const {
        return (flags & kLongAutonumber) != 0 && type == ColumnType::Long;
    }
    bool guid_autonumber() const {
        return (flags & kGuidAutonumber) != 0 && type == ColumnType::Guid;
    }
};

struct IndexColumn {
    std::uint16_t column_number = 0;
    bool ascending = true;
};

// A physical index: one B-tree of keys.
struct RealIndex {
    unsigned number = 0;  // position among the table's real indexes
    std::vector<IndexColumn> columns;
    std::uint32_t usage_map = 0;  // data pointer to the map of its pages
    PageNumber root_page = 0;
    std::uint8_t flags = 0;
    std::uint32_t unique_entry_count = 0;

    static constexpr std::uint8_t kUnique = table_definition_format::kIndexUnique;
    static constexpr std::uint8_t kIgnoreNulls = table_definition_format::kIndexIgnoreNulls;
    static constexpr std::uint8_t kRequired = table_definition_format::kIndexRequired;

    bool unique() const { return (flags & kUnique) != 0; }
    bool ignore_nulls() const { return (flags & kIgnoreNulls) != 0; }
    bool required() const { return (flags & kRequired) != 0; }
};

enum class IndexKind : std::uint8_t { Other = 0, PrimaryKey = 1, ForeignKey = 2 };

// A named index as the user sees it; several may share one real index.
struct LogicalIndex {
    std::string name;  // UTF-8
    std::uint32_t number = 0;
    std::uint32_t real_index = 0;  // position in TableDefinition::real_indexes
    IndexKind kind = IndexKind::Other;
};

// The maps of one Memo or OLE column's long-value pages.
struct LongValueMaps {
    std::uint16_t column_number = 0;
    std::uint32_t owned_pages = 0;
    std::uint32_t free_pages = 0;
};

struct TableDefinition {
    std::string name;               // UTF-8
    PageNumber page = 0;            // first definition page; the table's identity
    std::vector<PageNumber> pages;  // every definition page, first one first
    std::uint32_t row_count = 0;
    std::uint32_t last_autonumber = 0;
    std::uint8_t table_type = 0;  // table_definition_format::kUserTable or kSystemTable
    std::uint16_t max_columns = 0;
    std::uint16_t max_variable_columns = 0;
    std::vector<Column> columns;  // in column-number order
    std::vector<RealIndex> real_indexes;
    std::vector<LogicalIndex> logical_indexes;
    std::uint32_t owned_pages_map = 0;
    std::uint32_t free_pages_map = 0;
    std::vector<LongValueMaps> long_value_maps;

    const Column* column_by_number(std::uint16_t number) const;
    const Column* column_by_name(std::string_view name) const;  // ASCII case-insensitive
};

// Reads the definition starting at `page`, following continuation pages.
// Names are converted from `code_page` to UTF-8. Throws FormatError naming the
// page and the table.
TableDefinition read_table_definition(Pager& pager, PageNumber page, const std::string& table_name,
                                      const CodePage& code_page);

// The size a column record gives a fixed column of this type (1 for Yes/No,
// which takes no byte of the fixed area); 0 for the variable types.
std::uint16_t fixed_column_size(ColumnType type);

// Reads again the counts an insert changes (rows, the last autonumber, each
// real index's distinct keys) from the definition's first page.
void reread_counts(Pager& pager, TableDefinition& table);

}  // namespace jet
