// The catalogue is the table MSysObjects; its definition is always on page 2.
// Columns read here: Id (Long; a table's definition page), ParentId (Long),
// Name (Text), Type (Integer; 1 = local table), Flags (Long; 0x80000000 and
// 0x00000002 mark system objects).
#include "jet/catalogue_reader.h"

#include "jet/error.h"
#include "jet/table_definition_reader.h"
#include "jet/table_scan.h"

namespace jet {
namespace {

constexpr PageNumber kCataloguePage = 2;

template <typename T>
T integer_or_zero(const Value& v) {
    if (const auto* x = std::get_if<std::int32_t>(&v)) {
        return static_cast<T>(*x);
    }
    if (const auto* x = std::get_if<std::int16_t>(&v)) {
        return static_cast<T>(*x);
    }
    if (const auto* x = std::get_if<std::uint8_t>(&v)) {
        return static_cast<T>(*x);
    }
    return T{};
}

std::size_t position_of(const TableDefinition& table, std::string_view name) {
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        if (table.columns[i].name == name) {
            return i;
        }
    }
    throw FormatError("page " + std::to_string(kCataloguePage) +
                      ": table definition of 'MSysObjects' has no column '" + std::string(name) +
                      "'");
}

}  // namespace

bool CatalogueEntry::user_table() const {
    return type == kLocalTable && (flags & kSystemFlags) == 0 && name.rfind("MSys", 0) != 0;
}

std::vector<CatalogueEntry> read_catalogue(Pager& pager, const CodePage& code_page) {
    const TableDefinition table =
        read_table_definition(pager, kCataloguePage, "MSysObjects", code_page);
    const std::size_t id = position_of(table, "Id");
    const std::size_t parent = position_of(table, "ParentId");
    const std::size_t name = position_of(table, "Name");
    const std::size_t type = position_of(table, "Type");
    const std::size_t flags = position_of(table, "Flags");
    std::vector<CatalogueEntry> entries;
    scan_table(pager, table, [&](RowPointer, const std::vector<Value>& row) {
        CatalogueEntry e;
        e.id = integer_or_zero<std::int32_t>(row[id]);
        e.parent_id = integer_or_zero<std::int32_t>(row[parent]);
        if (const auto* text = std::get_if<Text>(&row[name])) {
            e.name = code_page.to_utf8(text->bytes);
        }
        e.type = integer_or_zero<std::int16_t>(row[type]);
        e.flags = integer_or_zero<std::uint32_t>(row[flags]);
        entries.push_back(std::move(e));
    });
    return entries;
}

}  // namespace jet
