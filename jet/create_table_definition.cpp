// A table definition page as the engine writes it for a new table (offsets in
// bytes, integers little-endian):
//
//   0    u8    0x02 (definition page)
//   1    u8    0x01
//   2    2     "VC"
//   4    u32   next definition page: 0, the definition fits this page
//   8    u32   length of the definition, from byte 0 to the end of the terminator
//   12   u32   rows: 0
//   16   u32   last autonumber handed out: 0
//   20   u8    table type: 'N' the user's table, 'S' the engine's own
//   21   u16   columns a row holds
//   23   u16   variable slots a row holds
//   25   u16   column definitions
//   27   u32   logical indexes
//   31   u32   real indexes
//   35   u32   data pointer to the map of the table's data pages
//   39   u32   data pointer to the map of its data pages with free space
//   43   8 × real indexes: u32 0, u32 distinct keys ever added (0)
//   then 18 bytes per column:
//        u8 type, u16 column number, u16 variable slot (fixed columns: the
//        slots of the variable columns before them), u16 column number or 0,
//        u16 0, u16 sort order, u16 code page, u8 flags, u16 offset in the
//        fixed area (0 for variable columns), u16 size (0 for Memo and OLE)
//   then per column: u8 length, the name
//   then 39 bytes per real index: 10 × {u16 column number, u8 1 = ascending}
//        (unused: 0xFFFF, 0), u32 data pointer to its usage map, u32 root page,
//        u8 flags
//   then 20 bytes per logical index, sorted by name as Access sorts them:
//        u32 logical number, u32 real index, u8 0, i32 -1 (no related index),
//        u32 0 (no related table), u8 0, u8 0, u8 kind (1 primary key)
//   then per logical index in the same order: u8 length, the name
//   then per Memo and OLE column: u16 column number, u32 owned-pages map,
//        u32 free-pages map
//   then u16 0xFFFF
// The rest of the page is zero.
#include "jet/create_table_definition.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "jet/coding.h"
#include "jet/general_sort.h"

namespace jet {
namespace {

constexpr std::uint16_t kCodePage1252 = 1252;
constexpr std::size_t kIndexColumnSlots = 10;

// A name as a definition stores it: its length in one byte, then its bytes.
void append_name(std::vector<std::uint8_t>& out, const std::string& name) {
    if (name.empty() || name.size() > 64) {
        throw std::logic_error("a name of " + std::to_string(name.size()) + " bytes");
    }
    out.push_back(static_cast<std::uint8_t>(name.size()));
    out.insert(out.end(), name.begin(), name.end());
}

bool is_long_value(ColumnType type) {
    return type == ColumnType::Memo || type == ColumnType::Ole;
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

}  // namespace

std::uint16_t fixed_column_size(ColumnType type) {
    switch (type) {
        case ColumnType::Boolean:
        case ColumnType::Byte:
            return 1;
        case ColumnType::Integer:
            return 2;
        case ColumnType::Long:
        case ColumnType::Single:
            return 4;
        case ColumnType::Currency:
        case ColumnType::Double:
        case ColumnType::DateTime:
            return 8;
        case ColumnType::Guid:
            return 16;
        case ColumnType::Binary:
        case ColumnType::Text:
        case ColumnType::Ole:
        case ColumnType::Memo:
            return 0;
    }
    return 0;
}

void build_table_definition_page(Page& page, const NewTable& table,
                                 const TablePlacement& placement) {
    const std::size_t index_count = table.indexes.size();
    if (placement.index_maps.size() != index_count || placement.index_roots.size() != index_count) {
        throw std::logic_error("table '" + table.name + "': placement of " +
                               std::to_string(placement.index_maps.size()) + " indexes for " +
                               std::to_string(index_count));
    }
    std::uint16_t variable_columns = 0;
    for (const NewColumn& column : table.columns) {
        variable_columns += (column.flags & Column::kFixed) ? 0 : 1;
    }

    std::vector<std::uint8_t> bytes;
    bytes.push_back(static_cast<std::uint8_t>(PageType::TableDefinition));
    bytes.push_back(0x01);
    bytes.push_back('V');
    bytes.push_back('C');
    append_u32le(bytes, 0);
    append_u32le(bytes, 0);  // length, set below
    append_u32le(bytes, 0);
    append_u32le(bytes, 0);
    bytes.push_back(table.table_type);
    append_u16le(bytes, static_cast<std::uint16_t>(table.columns.size()));
    append_u16le(bytes, variable_columns);
    append_u16le(bytes, static_cast<std::uint16_t>(table.columns.size()));
    append_u32le(bytes, static_cast<std::uint32_t>(index_count));
    append_u32le(bytes, static_cast<std::uint32_t>(index_count));
    append_u32le(bytes, placement.owned_pages_map);
    append_u32le(bytes, placement.free_pages_map);
    for (std::size_t i = 0; i < index_count; ++i) {
        append_u32le(bytes, 0);
        append_u32le(bytes, 0);
    }

    std::uint16_t variable_slot = 0;
    std::uint16_t fixed_offset = 0;
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        const NewColumn& column = table.columns[i];
        const auto number = static_cast<std::uint16_t>(i);
        const bool fixed = (column.flags & Column::kFixed) != 0;
        const std::uint16_t fixed_size = fixed_column_size(column.type);
        bytes.push_back(static_cast<std::uint8_t>(column.type));
        append_u16le(bytes, number);
        append_u16le(bytes, variable_slot);
        append_u16le(bytes, table.column_number_twice ? number : 0);
        append_u16le(bytes, 0);
        append_u16le(bytes, static_cast<std::uint16_t>(kGeneralSortOrder));
        append_u16le(bytes, kCodePage1252);
        bytes.push_back(column.flags);
        append_u16le(bytes, fixed && column.type != ColumnType::Boolean ? fixed_offset : 0);
        append_u16le(bytes, fixed ? fixed_size : column.size);
        if (!fixed) {
            ++variable_slot;
        } else if (column.type != ColumnType::Boolean) {
            fixed_offset = static_cast<std::uint16_t>(fixed_offset + fixed_size);
        }
    }
    for (const NewColumn& column : table.columns) {
        append_name(bytes, column.name);
    }

    for (std::size_t i = 0; i < index_count; ++i) {
        const NewIndex& index = table.indexes[i];
        if (index.column_numbers.empty() || index.column_numbers.size() > kIndexColumnSlots) {
            throw std::logic_error("index '" + index.name + "' of " +
                                   std::to_string(index.column_numbers.size()) + " columns");
        }
        for (std::size_t slot = 0; slot < kIndexColumnSlots; ++slot) {
            const bool used = slot < index.column_numbers.size();
            append_u16le(bytes, used ? index.column_numbers[slot] : 0xFFFF);
            bytes.push_back(used ? 0x01 : 0x00);
        }
        append_u32le(bytes, placement.index_maps[i]);
        append_u32le(bytes, placement.index_roots[i]);
        bytes.push_back(index.flags);
    }

    std::vector<std::size_t> by_name(index_count);
    for (std::size_t i = 0; i < index_count; ++i) {
        by_name[i] = i;
    }
    std::sort(by_name.begin(), by_name.end(), [&](std::size_t a, std::size_t b) {
        return lower(table.indexes[a].name) < lower(table.indexes[b].name);
    });
    for (const std::size_t i : by_name) {
        append_u32le(bytes, static_cast<std::uint32_t>(i));
        append_u32le(bytes, static_cast<std::uint32_t>(i));
        bytes.push_back(0);
        append_u32le(bytes, 0xFFFFFFFFu);
        append_u32le(bytes, 0);
        bytes.push_back(0);
        bytes.push_back(0);
        bytes.push_back(static_cast<std::uint8_t>(table.indexes[i].kind));
    }
    for (const std::size_t i : by_name) {
        append_name(bytes, table.indexes[i].name);
    }

    std::size_t long_value_columns = 0;
    for (const NewColumn& column : table.columns) {
        long_value_columns += is_long_value(column.type) ? 1 : 0;
    }
    if (placement.long_value_maps.size() != long_value_columns) {
        throw std::logic_error("table '" + table.name + "': maps for " +
                               std::to_string(placement.long_value_maps.size()) +
                               " long-value columns of " + std::to_string(long_value_columns));
    }
    for (const LongValueMaps& maps : placement.long_value_maps) {
        append_u16le(bytes, maps.column_number);
        append_u32le(bytes, maps.owned_pages);
        append_u32le(bytes, maps.free_pages);
    }
    append_u16le(bytes, 0xFFFF);

    if (bytes.size() > kPageSize) {
        throw std::logic_error("the definition of table '" + table.name + "' takes " +
                               std::to_string(bytes.size()) + " bytes, more than a page");
    }
    const auto length = static_cast<std::uint32_t>(bytes.size());
    put_u32le(bytes.data() + 8, length);
    page.fill(0);
    std::copy(bytes.begin(), bytes.end(), page.begin());
}

}  // namespace jet
