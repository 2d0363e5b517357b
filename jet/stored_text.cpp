#include "jet/stored_text.h"

#include <string_view>
#include <variant>

#include "jet/error.h"
#include "jet/table_definition.h"
#include "jet/table_definition_reader.h"
#include "jet/table_scan.h"
#include "jet/thai_874_text.h"

namespace jet {
namespace {

class Evidence {
  public:
    explicit Evidence(std::size_t firm) : firm_(firm) {}

    void add(std::string_view bytes) {
        switch (thai_874_evidence(bytes)) {
            case ThaiEvidence::None:
                break;
            case ThaiEvidence::Thai:
                ++thai_;
                break;
            case ThaiEvidence::NotThai:
                ++not_thai_;
                break;
        }
    }

    bool firm() const { return thai_ + not_thai_ >= firm_; }

    StoredTextVerdict verdict() const {
        if (thai_ + not_thai_ == 0)
            return StoredTextVerdict::None;
        return thai_ >= 3 * not_thai_ ? StoredTextVerdict::Thai : StoredTextVerdict::NotThai;
    }

  private:
    std::size_t firm_;
    std::size_t thai_ = 0;
    std::size_t not_thai_ = 0;
};

// The table's definition reduced to its Text columns: a row scan then decodes
// those alone, reading no Memo or OLE value.
TableDefinition text_columns_of(TableDefinition table) {
    std::erase_if(table.columns, [](const Column& c) { return c.type != ColumnType::Text; });
    return table;
}

}  // namespace

StoredTextVerdict judge_stored_text(Pager& pager, const std::vector<CatalogueEntry>& catalogue,
                                    const CodePage& names_page, const StoredTextLimits& limits) {
    Evidence evidence(limits.firm_evidence);
    const auto add_name = [&](const std::string& utf8) {
        evidence.add(names_page.from_utf8(utf8));
    };

    std::vector<TableDefinition> tables;
    for (const CatalogueEntry& entry : catalogue) {
        add_name(entry.name);
        if (!entry.user_table())
            continue;
        try {
            const TableDefinition table = read_table_definition(
                pager, static_cast<PageNumber>(entry.id), entry.name, names_page);
            for (const Column& column : table.columns)
                add_name(column.name);
            for (const LogicalIndex& index : table.logical_indexes)
                add_name(index.name);
            tables.push_back(text_columns_of(table));
        } catch (const FormatError&) {
            // Damaged: `check` and the table's readers report it.
        }
    }

    std::size_t rows = 0;
    for (const TableDefinition& table : tables) {
        if (evidence.firm() || rows >= limits.rows)
            break;
        if (table.columns.empty())
            continue;
        try {
            scan_table_while(pager, table, [&](RowPointer, const std::vector<Value>& row) {
                for (const Value& value : row) {
                    if (const auto* text = std::get_if<Text>(&value))
                        evidence.add(text->bytes);
                }
                ++rows;
                return !evidence.firm() && rows < limits.rows;
            });
        } catch (const FormatError&) {
            // Damaged: the rows read before the damage count.
        }
    }
    return evidence.verdict();
}

}  // namespace jet
