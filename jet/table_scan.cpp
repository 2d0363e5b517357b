// A table's rows live on the data pages its owned-pages usage map marks and
// whose owner field is the table's definition page (freed pages keep stale
// contents, so the owner alone proves nothing). A slot flagged as a lookup
// holds the 4-byte data pointer of the row's real place; that place is
// flagged as a lookup target so that a scan does not see the row twice.
#include "jet/table_scan.h"

#include <optional>

#include "jet/coding.h"
#include "jet/data_page.h"
#include "jet/data_page_format.h"
#include "jet/error.h"
#include "jet/row.h"
#include "jet/usage_map.h"

namespace jet {
namespace {

std::string rows_of(const TableDefinition& table) {
    return "rows of '" + table.name + "'";
}

std::vector<Value> follow_lookup(Pager& pager, const TableDefinition& table, const DataPage& page,
                                 const RowSlot& slot, RowPointer at) {
    const auto pointer = page.bytes(slot);
    if (pointer.size() < 4) {
        throw FormatError("page " + std::to_string(at.page) + ": row " + std::to_string(at.row) +
                          " of '" + table.name + "' is a moved row's pointer but only " +
                          std::to_string(pointer.size()) + " bytes long");
    }
    const RowPointer target = RowPointer::from_data_pointer(get_u32le(pointer.data()));
    DataPage target_page(pager.read(target.page), target.page, rows_of(table));
    const RowSlot target_slot = target_page.slot(target.row);
    if (target_slot.deleted || target_slot.lookup || target_page.owner() != table.page) {
        throw FormatError("page " + std::to_string(at.page) + ": row " + std::to_string(at.row) +
                          " of '" + table.name + "' points to row " + std::to_string(target.row) +
                          " on page " + std::to_string(target.page) + ", which is not a moved row");
    }
    return decode_row(pager, table, target_page.bytes(target_slot), target);
}

}  // namespace

void scan_table(Pager& pager, const TableDefinition& table, const RowCallback& callback) {
    scan_table_while(pager, table, [&](RowPointer at, const std::vector<Value>& row) {
        callback(at, row);
        return true;
    });
}

void scan_table_while(Pager& pager, const TableDefinition& table,
                      const RowWhileCallback& callback) {
    for (PageNumber number : read_usage_map(pager, table.owned_pages_map, "'" + table.name + "'")) {
        const PageRef bytes = pager.read(number);
        if ((*bytes)[0] != static_cast<std::uint8_t>(PageType::Data) ||
            get_u32le(bytes->data() + data_page_format::kOwnerOffset) != table.page) {
            continue;
        }
        const DataPage page(bytes, number, rows_of(table));
        for (unsigned row = 0; row < page.row_count(); ++row) {
            const RowSlot slot = page.slot(row);
            if (slot.deleted || slot.lookup_target) {
                continue;
            }
            const RowPointer at{number, static_cast<std::uint8_t>(row)};
            const bool go_on = slot.lookup
                                   ? callback(at, follow_lookup(pager, table, page, slot, at))
                                   : callback(at, decode_row(pager, table, page.bytes(slot), at));
            if (!go_on) {
                return;
            }
        }
    }
}

std::vector<Value> fetch_row(Pager& pager, const TableDefinition& table, RowPointer at) {
    const DataPage page(pager.read(at.page), at.page, rows_of(table));
    if (page.owner() != table.page) {
        throw FormatError("page " + std::to_string(at.page) + ": holds no rows of '" + table.name +
                          "' (its owner is page " + std::to_string(page.owner()) + ")");
    }
    const RowSlot slot = page.slot(at.row);
    if (slot.deleted || slot.lookup_target) {
        throw FormatError(
            "page " + std::to_string(at.page) + ": row " + std::to_string(at.row) + " of '" +
            table.name + "' is " +
            (slot.deleted ? "deleted" : "a moved row's new place, not a row pointer"));
    }
    if (slot.lookup) {
        return follow_lookup(pager, table, page, slot, at);
    }
    return decode_row(pager, table, page.bytes(slot), at);
}

}  // namespace jet
