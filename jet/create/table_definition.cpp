// Writes the definition page of a new table, laid out as
// table_definition_format.h describes. The engine's choices where the layout
// leaves some: the definition fits one page; the counts and the statistics
// start at 0; a row holds every column; the logical indexes, one per real
// index, are sorted by name as Access sorts them and relate to nothing; the
// rest of the page is zero.
#include "jet/create/table_definition.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "jet/coding.h"
#include "jet/general_sort.h"
#include "jet/table_definition_format.h"

namespace jet {
namespace {

using namespace table_definition_format;

constexpr std::uint16_t kCodePage1252 = 1252;

// Appends a zeroed record of `size` bytes and returns where it starts; the
// pointer is good until `out` grows again.
std::uint8_t* append_record(std::vector<std::uint8_t>& out, std::size_t size) {
    out.resize(out.size() + size, 0);
    return out.data() + out.size() - size;
}

// A name as a definition stores it: its length in one byte, then its bytes.
void append_name(std::vector<std::uint8_t>& out, const std::string& name) {
    if (name.empty() || name.size() > kMaxNameLength) {
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

    std::vector<std::uint8_t> bytes(kFixedBlockSize + kStatisticsSize * index_count, 0);
    bytes[0] = static_cast<std::uint8_t>(PageType::TableDefinition);
    bytes[kPageMarkerOffset] = kPageMarker;
    std::copy(std::begin(kSignature), std::end(kSignature), bytes.begin() + kSignatureOffset);
    bytes[kTableTypeOffset] = table.table_type;
    const auto column_count = static_cast<std::uint16_t>(table.columns.size());
    put_u16le(bytes.data() + kMaxColumnsOffset, column_count);
    put_u16le(bytes.data() + kVariableColumnsOffset, variable_columns);
    put_u16le(bytes.data() + kColumnCountOffset, column_count);
    put_u32le(bytes.data() + kLogicalIndexCountOffset, static_cast<std::uint32_t>(index_count));
    put_u32le(bytes.data() + kRealIndexCountOffset, static_cast<std::uint32_t>(index_count));
    put_u32le(bytes.data() + kOwnedPagesMapOffset, placement.owned_pages_map);
    put_u32le(bytes.data() + kFreePagesMapOffset, placement.free_pages_map);

    std::uint16_t variable_slot = 0;
    std::uint16_t fixed_offset = 0;
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        const NewColumn& column = table.columns[i];
        const auto number = static_cast<std::uint16_t>(i);
        const bool fixed = (column.flags & Column::kFixed) != 0;
        const std::uint16_t fixed_size = fixed_column_size(column.type);
        // A Yes/No value is its null-mask bit: it takes no byte of the fixed area.
        const bool in_fixed_area = fixed && column.type != ColumnType::Boolean;
        std::uint8_t* record = append_record(bytes, kColumnRecordSize);
        record[kColumnTypeOffset] = static_cast<std::uint8_t>(column.type);
        put_u16le(record + kColumnNumberOffset, number);
        put_u16le(record + kColumnVariableSlotOffset, variable_slot);
        put_u16le(record + kColumnNumberAgainOffset, table.column_number_twice ? number : 0);
        put_u16le(record + kColumnSortOrderOffset, static_cast<std::uint16_t>(kGeneralSortOrder));
        put_u16le(record + kColumnCodePageOffset, kCodePage1252);
        record[kColumnFlagsOffset] = column.flags;
        put_u16le(record + kColumnFixedOffsetOffset, in_fixed_area ? fixed_offset : 0);
        put_u16le(record + kColumnSizeOffset, fixed ? fixed_size : column.size);
        if (!fixed) {
            ++variable_slot;
        } else if (in_fixed_area) {
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
        std::uint8_t* record = append_record(bytes, kRealIndexRecordSize);
        for (std::size_t slot = 0; slot < kIndexColumnSlots; ++slot) {
            const bool used = slot < index.column_numbers.size();
            std::uint8_t* at = record + kIndexColumnSlotSize * slot;
            put_u16le(at, used ? index.column_numbers[slot] : kUnusedIndexColumn);
            at[kIndexColumnOrderOffset] = used ? kIndexColumnAscending : 0;
        }
        put_u32le(record + kRealIndexUsageMapOffset, placement.index_maps[i]);
        put_u32le(record + kRealIndexRootPageOffset, placement.index_roots[i]);
        record[kRealIndexFlagsOffset] = index.flags;
    }

    std::vector<std::size_t> by_name(index_count);
    for (std::size_t i = 0; i < index_count; ++i) {
        by_name[i] = i;
    }
    std::sort(by_name.begin(), by_name.end(), [&](std::size_t a, std::size_t b) {
        return lower(table.indexes[a].name) < lower(table.indexes[b].name);
    });
    for (const std::size_t i : by_name) {
        std::uint8_t* record = append_record(bytes, kLogicalIndexRecordSize);
        put_u32le(record + kLogicalIndexNumberOffset, static_cast<std::uint32_t>(i));
        put_u32le(record + kLogicalIndexRealIndexOffset, static_cast<std::uint32_t>(i));
        put_u32le(record + kLogicalIndexRelatedIndexOffset, kNoRelatedIndex);
        record[kLogicalIndexKindOffset] = static_cast<std::uint8_t>(table.indexes[i].kind);
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
        std::uint8_t* record = append_record(bytes, kLongValueMapsRecordSize);
        put_u16le(record + kLongValueMapsColumnOffset, maps.column_number);
        put_u32le(record + kLongValueMapsOwnedOffset, maps.owned_pages);
        put_u32le(record + kLongValueMapsFreeOffset, maps.free_pages);
    }
    append_u16le(bytes, kLongValueMapsEnd);

    if (bytes.size() > kPageSize) {
        throw std::logic_error("the definition of table '" + table.name + "' takes " +
                               std::to_string(bytes.size()) + " bytes, more than a page");
    }
    const auto length = static_cast<std::uint32_t>(bytes.size());
    put_u32le(bytes.data() + kLengthOffset, length);
    page.fill(0);
    std::copy(bytes.begin(), bytes.end(), page.begin());
}

}  // namespace jet
