// Reads table definitions; their byte layout is in table_definition_format.h.
#include "jet/table_definition_reader.h"

#include <algorithm>
#include <set>

#include "jet/ascii.h"
#include "jet/coding.h"
#include "jet/error.h"
#include "jet/table_definition_format.h"

namespace jet {
namespace {

using namespace table_definition_format;

bool known_type(std::uint8_t type) {
    return (type >= 0x01 && type <= 0x0C) || type == 0x0F;
}

// Reads the joined definition buffer with every access checked.
class DefinitionReader {
  public:
    DefinitionReader(std::vector<std::uint8_t> bytes, std::vector<PageNumber> pages,
                     std::string table)
        : bytes_(std::move(bytes)), pages_(std::move(pages)), table_(std::move(table)) {}

    [[noreturn]] void fail(std::size_t offset, const std::string& what) const {
        std::size_t index =
            offset < kPageSize ? 0 : 1 + (offset - kPageSize) / (kPageSize - kPageHeaderSize);
        index = std::min(index, pages_.size() - 1);
        throw FormatError("page " + std::to_string(pages_[index]) + ": table definition of '" +
                          table_ + "': " + what);
    }

    void limit(std::size_t length) { bytes_.resize(length); }
    std::size_t size() const { return bytes_.size(); }

    void need(std::size_t offset, std::size_t count, const std::string& what) const {
        if (offset > bytes_.size() || count > bytes_.size() - offset) {
            fail(std::min(offset, bytes_.size() ? bytes_.size() - 1 : 0),
                 what + " at offset " + std::to_string(offset) +
                     " runs past the end of the definition (" + std::to_string(bytes_.size()) +
                     " bytes)");
        }
    }
    std::uint8_t u8(std::size_t offset, const std::string& what) const {
        need(offset, 1, what);
        return bytes_[offset];
    }
    std::uint16_t u16(std::size_t offset, const std::string& what) const {
        need(offset, 2, what);
        return get_u16le(bytes_.data() + offset);
    }
    std::uint32_t u32(std::size_t offset, const std::string& what) const {
        need(offset, 4, what);
        return get_u32le(bytes_.data() + offset);
    }
    // A u8-length-prefixed name; advances `offset` past it.
    std::string name(std::size_t& offset, const CodePage& code_page,
                     const std::string& what) const {
        const std::size_t length = u8(offset, what);
        need(offset + 1, length, what);
        const auto* p = reinterpret_cast<const char*>(bytes_.data() + offset + 1);
        offset += 1 + length;
        return code_page.to_utf8(std::string_view(p, length));
    }

  private:
    std::vector<std::uint8_t> bytes_;
    std::vector<PageNumber> pages_;
    std::string table_;
};

DefinitionReader join_pages(Pager& pager, PageNumber first, const std::string& table,
                            std::vector<PageNumber>& pages) {
    if (first == 0) {
        throw FormatError("page 0: table definition of '" + table +
                          "': the catalogue places it on the database header page");
    }
    std::vector<std::uint8_t> bytes;
    std::set<PageNumber> seen;
    PageNumber number = first;
    while (number != 0) {
        const PageRef page = pager.read(number);
        if ((*page)[0] != static_cast<std::uint8_t>(PageType::TableDefinition)) {
            throw FormatError("page " + std::to_string(number) + ": table definition of '" + table +
                              "': expected a table definition page, found page type " +
                              std::to_string((*page)[0]));
        }
        if (!seen.insert(number).second) {
            throw FormatError("page " + std::to_string(number) + ": table definition of '" + table +
                              "': its chain of pages returns to this page");
        }
        pages.push_back(number);
        bytes.insert(bytes.end(), page->begin() + (bytes.empty() ? 0 : kPageHeaderSize),
                     page->end());
        number = get_u32le(page->data() + kNextPageOffset);
    }
    return DefinitionReader(std::move(bytes), pages, table);
}

}  // namespace

const Column* TableDefinition::column_by_number(std::uint16_t number) const {
    auto it = std::lower_bound(columns.begin(), columns.end(), number,
                               [](const Column& c, std::uint16_t n) { return c.number < n; });
    return it != columns.end() && it->number == number ? &*it : nullptr;
}

const Column* TableDefinition::column_by_name(std::string_view wanted) const {
    for (const Column& c : columns) {
        if (ascii_iequal(c.name, wanted)) {
            return &c;
        }
    }
    return nullptr;
}

TableDefinition read_table_definition(Pager& pager, PageNumber page, const std::string& table_name,
                                      const CodePage& code_page) {
    TableDefinition t;
    t.name = table_name;
    t.page = page;
    DefinitionReader in = join_pages(pager, page, table_name, t.pages);

    const std::uint32_t length = in.u32(kLengthOffset, "definition length");
    if (length < kFixedBlockSize || length > in.size()) {
        in.fail(kLengthOffset, "definition length " + std::to_string(length) +
                                   " does not fit its " + std::to_string(t.pages.size()) +
                                   " pages");
    }
    in.limit(length);

    t.row_count = in.u32(kRowCountOffset, "row count");
    t.last_autonumber = in.u32(kAutonumberOffset, "autonumber");
    t.table_type = in.u8(kTableTypeOffset, "table type");
    t.max_columns = in.u16(kMaxColumnsOffset, "max columns");
    t.max_variable_columns = in.u16(kVariableColumnsOffset, "variable column count");
    const std::size_t column_count = in.u16(kColumnCountOffset, "column count");
    const std::uint32_t logical_count = in.u32(kLogicalIndexCountOffset, "logical index count");
    const std::uint32_t real_count = in.u32(kRealIndexCountOffset, "real index count");
    t.owned_pages_map = in.u32(kOwnedPagesMapOffset, "owned pages map");
    t.free_pages_map = in.u32(kFreePagesMapOffset, "free pages map");

    // Bound every count by what the definition can hold before allocating.
    // The statistics must be on the first page, where inserts update them.
    std::size_t offset = kFixedBlockSize;
    in.need(offset, static_cast<std::size_t>(real_count) * kStatisticsSize,
            std::to_string(real_count) + " real index statistics");
    if (real_count > (kPageSize - kFixedBlockSize) / kStatisticsSize) {
        in.fail(kRealIndexCountOffset, "the statistics of its " + std::to_string(real_count) +
                                           " real indexes run past its first page");
    }
    std::vector<std::uint32_t> unique_counts;
    for (std::uint32_t i = 0; i < real_count; ++i) {
        unique_counts.push_back(in.u32(unique_entry_count_offset(i), "index statistics"));
    }
    offset += kStatisticsSize * real_count;

    in.need(offset, column_count * kColumnRecordSize,
            std::to_string(column_count) + " column records");
    std::vector<Column> columns(column_count);
    for (std::size_t i = 0; i < column_count; ++i) {
        const std::size_t at = offset + kColumnRecordSize * i;
        Column& c = columns[i];
        const std::uint8_t type = in.u8(at + kColumnTypeOffset, "column type");
        if (!known_type(type)) {
            in.fail(at,
                    "column " + std::to_string(i) + " has unknown type " + std::to_string(type));
        }
        c.type = static_cast<ColumnType>(type);
        c.number = in.u16(at + kColumnNumberOffset, "column number");
        c.variable_index = in.u16(at + kColumnVariableSlotOffset, "variable slot");
        c.sort_order = in.u16(at + kColumnSortOrderOffset, "column sort order");
        c.code_page = in.u16(at + kColumnCodePageOffset, "column code page");
        c.flags = in.u8(at + kColumnFlagsOffset, "column flags");
        c.fixed_offset = in.u16(at + kColumnFixedOffsetOffset, "fixed offset");
        c.size = in.u16(at + kColumnSizeOffset, "column size");
    }
    offset += kColumnRecordSize * column_count;
    for (Column& c : columns) {
        c.name = in.name(offset, code_page, "column name");
    }

    in.need(offset, static_cast<std::size_t>(real_count) * kRealIndexRecordSize,
            std::to_string(real_count) + " real index records");
    for (std::uint32_t i = 0; i < real_count; ++i) {
        const std::size_t at = offset + kRealIndexRecordSize * i;
        RealIndex index;
        index.number = i;
        for (std::size_t s = 0; s < kIndexColumnSlots; ++s) {
            const std::size_t slot = at + kIndexColumnSlotSize * s;
            const std::uint16_t number = in.u16(slot, "index column");
            if (number == kUnusedIndexColumn) {
                continue;
            }
            const std::uint8_t order = in.u8(slot + kIndexColumnOrderOffset, "index column order");
            index.columns.push_back({number, (order & kIndexColumnAscending) != 0});
        }
        index.usage_map = in.u32(at + kRealIndexUsageMapOffset, "index usage map");
        index.root_page = in.u32(at + kRealIndexRootPageOffset, "index root page");
        index.flags = in.u8(at + kRealIndexFlagsOffset, "index flags");
        index.unique_entry_count = unique_counts[i];
        t.real_indexes.push_back(std::move(index));
    }
    offset += kRealIndexRecordSize * real_count;

    in.need(offset, static_cast<std::size_t>(logical_count) * kLogicalIndexRecordSize,
            std::to_string(logical_count) + " logical index records");
    for (std::uint32_t i = 0; i < logical_count; ++i) {
        const std::size_t at = offset + kLogicalIndexRecordSize * i;
        LogicalIndex index;
        index.number = in.u32(at + kLogicalIndexNumberOffset, "logical index number");
        index.real_index = in.u32(at + kLogicalIndexRealIndexOffset, "logical index's real index");
        if (index.real_index >= real_count) {
            in.fail(at, "logical index " + std::to_string(i) + " refers to real index " +
                            std::to_string(index.real_index) + " of " + std::to_string(real_count));
        }
        const std::uint8_t kind = in.u8(at + kLogicalIndexKindOffset, "logical index kind");
        index.kind = kind <= static_cast<std::uint8_t>(IndexKind::ForeignKey)
                         ? static_cast<IndexKind>(kind)
                         : IndexKind::Other;
        t.logical_indexes.push_back(std::move(index));
    }
    offset += kLogicalIndexRecordSize * logical_count;
    for (LogicalIndex& index : t.logical_indexes) {
        index.name = in.name(offset, code_page, "index name");
    }

    while (true) {
        const std::uint16_t number =
            in.u16(offset + kLongValueMapsColumnOffset, "long-value map list");
        if (number == kLongValueMapsEnd) {
            break;
        }
        t.long_value_maps.push_back({number,
                                     in.u32(offset + kLongValueMapsOwnedOffset, "long-value map"),
                                     in.u32(offset + kLongValueMapsFreeOffset, "long-value map")});
        offset += kLongValueMapsRecordSize;
    }

    std::sort(columns.begin(), columns.end(),
              [](const Column& a, const Column& b) { return a.number < b.number; });
    for (std::size_t i = 1; i < columns.size(); ++i) {
        if (columns[i].number == columns[i - 1].number) {
            in.fail(kFixedBlockSize,
                    "two columns have number " + std::to_string(columns[i].number));
        }
    }
    t.columns = std::move(columns);
    for (const RealIndex& index : t.real_indexes) {
        for (const IndexColumn& ic : index.columns) {
            if (t.column_by_number(ic.column_number) == nullptr) {
                in.fail(kFixedBlockSize,
                        "real index " + std::to_string(index.number) + " refers to column number " +
                            std::to_string(ic.column_number) + ", which does not exist");
            }
        }
    }
    return t;
}

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

std::size_t Column::stored_size() const {
    if (type == ColumnType::Boolean) {
        return 0;  // the value is the column's bit in the null mask
    }
    const std::uint16_t type_size = fixed_column_size(type);
    return type_size != 0 ? type_size : size;
}

void reread_counts(Pager& pager, TableDefinition& table) {
    const PageRef first = pager.read(table.page);
    table.row_count = get_u32le(first->data() + kRowCountOffset);
    table.last_autonumber = get_u32le(first->data() + kAutonumberOffset);
    for (RealIndex& index : table.real_indexes) {
        index.unique_entry_count =
            get_u32le(first->data() + unique_entry_count_offset(index.number));
    }
}

}  // namespace jet
