// A table's live rows are the slots of its data pages that are neither
// deleted nor the new place of a moved row; a moved row is counted at its
// original slot, the one whose 4-byte data pointer leads to the new place.
// Each live row must decode and hold a value in every column of an index that
// requires one, the table definition's row count must equal the
// number of live rows, and the last autonumber handed out must not be below
// any value the autonumber column holds.
#include "jet/check/rows.h"

#include <algorithm>
#include <set>

#include "jet/check/data_page.h"
#include "jet/coding.h"
#include "jet/data_page.h"
#include "jet/error.h"
#include "jet/index_key.h"
#include "jet/index_reader.h"
#include "jet/row.h"

namespace jet {
namespace {

std::string row_name(RowPointer at) {
    return "row " + std::to_string(at.row);
}

class RowChecker {
  public:
    RowChecker(Pager& pager, const TableDefinition& table,
               const std::vector<PageNumber>& data_pages, FindingLog& log)
        : pager_(pager),
          table_(table),
          data_pages_(data_pages),
          log_(log),
          structure_("table '" + table.name + "'") {
        result_.index_entries.resize(table.real_indexes.size());
        for (std::size_t i = 0; i < table.real_indexes.size(); ++i) {
            result_.index_entries[i].emplace();
        }
        for (const Column& column : table.columns) {
            if (column.long_autonumber()) {
                autonumber_ = &column;
            }
        }
    }

    TableRows run() {
        for (PageNumber number : data_pages_) {
            check_page(number);
        }
        for (RowPointer target : targets_) {
            if (!referenced_targets_.count(target)) {
                log_.warning(target.page, structure_,
                             row_name(target) +
                                 " is marked as a moved row's new place, but no row points to it");
            }
        }
        check_counts();
        std::sort(result_.live_rows.begin(), result_.live_rows.end());
        std::sort(result_.unreadable_rows.begin(), result_.unreadable_rows.end());
        return std::move(result_);
    }

  private:
    void check_page(PageNumber number) {
        try {
            const PageRef bytes = pager_.read(number);
            if (!check_data_page_layout(*bytes, number, structure_, log_)) {
                return;
            }
            const DataPage page(bytes, number, structure_);
            for (unsigned row = 0; row < page.row_count(); ++row) {
                const RowSlot slot = page.slot(row);
                const RowPointer at{number, static_cast<std::uint8_t>(row)};
                if (slot.deleted) {
                    continue;
                }
                if (slot.lookup_target) {
                    targets_.push_back(at);
                    continue;
                }
                check_row(page, slot, at);
            }
        } catch (const Error& e) {
            log_.error(number, structure_, e.what());
        }
    }

    void check_row(const DataPage& page, const RowSlot& slot, RowPointer at) {
        result_.live_rows.push_back(at);
        try {
            std::vector<Value> values;
            if (slot.lookup) {
                values = follow_moved_row(page, slot);
            } else {
                values = decode_row(pager_, table_, page.bytes(slot), at);
            }
            note_values(values, at);
        } catch (const Error& e) {
            result_.unreadable_rows.push_back(at);
            log_.error(at.page, structure_, row_name(at) + " does not decode: " + e.what());
        }
    }

    std::vector<Value> follow_moved_row(const DataPage& page, const RowSlot& slot) {
        const auto pointer = page.bytes(slot);
        if (pointer.size() < 4) {
            throw FormatError("it is a moved row's pointer of only " +
                              std::to_string(pointer.size()) + " bytes");
        }
        const RowPointer target = RowPointer::from_data_pointer(get_u32le(pointer.data()));
        if (!std::binary_search(data_pages_.begin(), data_pages_.end(), target.page)) {
            throw FormatError("it points to row " + std::to_string(target.row) + " of page " +
                              std::to_string(target.page) + ", which is not a page of the table");
        }
        const DataPage target_page(pager_.read(target.page), target.page, structure_);
        const RowSlot target_slot = target_page.slot(target.row);
        if (!target_slot.lookup_target) {
            throw FormatError("it points to row " + std::to_string(target.row) + " of page " +
                              std::to_string(target.page) +
                              ", which is not marked as a moved row's new place");
        }
        if (!referenced_targets_.insert(target).second) {
            throw FormatError("it points to row " + std::to_string(target.row) + " of page " +
                              std::to_string(target.page) + ", which another row points to too");
        }
        return decode_row(pager_, table_, target_page.bytes(target_slot), target);
    }

    void note_values(const std::vector<Value>& values, RowPointer at) {
        if (autonumber_ != nullptr) {
            const std::size_t position = static_cast<std::size_t>(autonumber_ - &table_.columns[0]);
            const auto* number =
                position < values.size() ? std::get_if<std::int32_t>(&values[position]) : nullptr;
            if (number != nullptr) {
                largest_autonumber_ = std::max(largest_autonumber_, std::int64_t{*number});
            }
        }
        for (std::size_t i = 0; i < table_.real_indexes.size(); ++i) {
            const RealIndex& index = table_.real_indexes[i];
            if (index.required()) {
                check_required_values(index, values, at);
            }
            auto& entries = result_.index_entries[i];
            if (!entries) {
                continue;
            }
            try {
                if (!index_skips_row(table_, index, values)) {
                    entries->push_back({row_index_key(table_, index, values), at});
                }
            } catch (const std::exception& e) {
                log_.warning(std::nullopt, describe_index(table_, index),
                             std::string("its keys cannot be recomputed from the rows, so its "
                                         "entries are not compared with them: ") +
                                 e.what());
                entries.reset();
            }
        }
    }

    void check_required_values(const RealIndex& index, const std::vector<Value>& values,
                               RowPointer at) {
        for (const IndexColumn& indexed : index.columns) {
            const Column* column = table_.column_by_number(indexed.column_number);
            if (column == nullptr) {
                continue;  // the definition reader refuses such an index
            }
            const auto position = static_cast<std::size_t>(column - &table_.columns[0]);
            if (position < values.size() && is_null(values[position])) {
                log_.error(at.page, structure_,
                           row_name(at) + ": column '" + column->name + "' is null, but " +
                               describe_index(table_, index) + " requires a value");
            }
        }
    }

    void check_counts() {
        const std::size_t live = result_.live_rows.size();
        if (live != table_.row_count) {
            log_.error(table_.page, structure_,
                       "the table definition counts " + std::to_string(table_.row_count) +
                           " rows, but its data pages hold " + std::to_string(live));
        }
        if (autonumber_ != nullptr && largest_autonumber_ > std::int64_t{table_.last_autonumber}) {
            log_.error(table_.page, structure_,
                       "autonumber column '" + autonumber_->name + "' holds " +
                           std::to_string(largest_autonumber_) +
                           ", above the last autonumber handed out (" +
                           std::to_string(table_.last_autonumber) +
                           "): the next new row would repeat a value");
        }
    }

    Pager& pager_;
    const TableDefinition& table_;
    const std::vector<PageNumber>& data_pages_;
    FindingLog& log_;
    std::string structure_;
    const Column* autonumber_ = nullptr;
    std::int64_t largest_autonumber_ = 0;
    std::vector<RowPointer> targets_;
    std::set<RowPointer> referenced_targets_;
    TableRows result_;
};

}  // namespace

TableRows check_table_rows(Pager& pager, const TableDefinition& table,
                           const std::vector<PageNumber>& data_pages, FindingLog& log) {
    return RowChecker(pager, table, data_pages, log).run();
}

}  // namespace jet
