// Table definitions: columns, indexes, row count and where a table's pages are.
// The definition's byte layout is described in table_definition_format.h; the
// values of the flags and table types are stated here, once, and that layout
// names them. Reading a definition from the file is table_definition_reader.h's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jet/row_pointer.h"
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

    // Bits of `flags`.
    static constexpr std::uint8_t kFixed = 0x01;  // stored in the fixed area
    // Access sets it on nearly every column of the tables it makes; no reader
    // depends on it.
    static constexpr std::uint8_t kUpdatable = 0x02;
    static constexpr std::uint8_t kLongAutonumber = 0x04;
    static constexpr std::uint8_t kGuidAutonumber = 0x40;
    static constexpr std::uint8_t kHyperlink = 0x80;

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

    // Bits of `flags`.
    static constexpr std::uint8_t kUnique = 0x01;
    static constexpr std::uint8_t kIgnoreNulls = 0x02;
    static constexpr std::uint8_t kRequired = 0x08;

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
    std::uint8_t table_type = 0;  // kUserTable or kSystemTable
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

    // Table types.
    static constexpr std::uint8_t kUserTable = 'N';    // the user's table
    static constexpr std::uint8_t kSystemTable = 'S';  // the engine's own
};

// The size a column record gives a fixed column of this type (1 for Yes/No,
// which takes no byte of the fixed area); 0 for the variable types.
std::uint16_t fixed_column_size(ColumnType type);

}  // namespace jet
