// The consistency check, table by table: the table definition pages, the
// usage maps of the table, of its indexes and of its long-value columns, the
// pages those maps name (each claimed for one owner only), the rows, and the
// index trees. The global usage map is compared with the ownership last.
//
// Ownership is judged by the maps alone: freed pages keep live-looking
// contents, so a page's owner field only confirms a page a map names.
#include "jet/check.h"

#include <algorithm>
#include <set>

#include "jet/check/data_page.h"
#include "jet/check/index.h"
#include "jet/check/log.h"
#include "jet/check/ownership.h"
#include "jet/check/rows.h"
#include "jet/check/usage_map.h"
#include "jet/coding.h"
#include "jet/data_page_format.h"
#include "jet/database_pager.h"
#include "jet/error.h"
#include "jet/index_reader.h"
#include "jet/table_definition_reader.h"

namespace jet {
namespace {

constexpr PageNumber kCataloguePage = 2;

struct TableToCheck {
    PageNumber page = 0;
    std::string name;
};

class DatabaseChecker {
  public:
    DatabaseChecker(Database& db, CheckReport& report)
        : db_(db),
          pager_(pager_of(db)),
          report_(report),
          log_(report),
          owners_(pager_of(db).page_count()) {}

    void run() {
        report_.summary.pages = pager_.page_count();
        owners_.claim(0, PageRole::Header, "database header", log_);
        if (pager_.page_count() > 1) {
            owners_.claim(1, PageRole::GlobalMap, "global usage map", log_);
        }
        for (const TableToCheck& table : tables_to_check()) {
            try {
                check_table(table);
            } catch (const Error& e) {
                log_.error(table.page, "table '" + table.name + "'",
                           std::string("the check of this table stopped: ") + e.what());
            }
        }
        check_global_usage_map(pager_, owners_, log_);
    }

  private:
    std::vector<TableToCheck> tables_to_check() {
        std::vector<TableToCheck> tables;
        std::set<PageNumber> seen;
        for (const CatalogueEntry& entry : db_.catalogue()) {
            if (entry.type != CatalogueEntry::kLocalTable) {
                continue;
            }
            const auto page = static_cast<PageNumber>(entry.id);
            if (!seen.insert(page).second) {
                log_.error(page, "catalogue",
                           "table '" + entry.name + "' has the same definition page as another");
                continue;
            }
            tables.push_back({page, entry.name});
        }
        if (!seen.count(kCataloguePage)) {
            tables.insert(tables.begin(), {kCataloguePage, "MSysObjects"});
        }
        return tables;
    }

    void check_table(const TableToCheck& entry) {
        const std::string structure = "table '" + entry.name + "'";
        if (entry.page == 0 || entry.page >= pager_.page_count()) {
            log_.error(std::nullopt, structure,
                       "its definition page " + std::to_string(entry.page) +
                           " lies outside the file's " + std::to_string(pager_.page_count()) +
                           " pages");
            return;
        }
        TableDefinition table;
        try {
            table = read_table_definition(pager_, entry.page, entry.name, db_.code_page());
        } catch (const Error& e) {
            log_.error(entry.page, structure, e.what());
            return;
        }
        ++report_.summary.tables;
        for (PageNumber page : table.pages) {
            owners_.claim(page, PageRole::TableDefinition, structure, log_);
        }
        const std::vector<PageNumber> data_pages = check_table_maps(table, structure);
        check_long_value_maps(table);
        std::vector<std::optional<std::vector<PageNumber>>> index_pages;
        for (const RealIndex& index : table.real_indexes) {
            index_pages.push_back(claim_index_pages(table, index));
        }
        const TableRows rows = check_table_rows(pager_, table, data_pages, log_);
        report_.summary.rows += rows.live_rows.size();
        for (const RealIndex& index : table.real_indexes) {
            check_index(pager_, table, index, index_pages[index.number], rows, log_,
                        report_.summary);
        }
    }

    // Claims the table's owned pages and returns those that are its data pages.
    std::vector<PageNumber> check_table_maps(const TableDefinition& table,
                                             const std::string& structure) {
        std::vector<PageNumber> data_pages;
        const auto owned = read_map(table.owned_pages_map, "owned-pages map of " + structure);
        if (owned) {
            for (PageNumber page : owned->pages) {
                owners_.claim(page, PageRole::TableData, structure, log_);
                if (is_data_page_of(page, table.page, structure)) {
                    data_pages.push_back(page);
                }
            }
        }
        const auto free = read_map(table.free_pages_map, "free-space map of " + structure);
        if (owned && free) {
            report_pages_outside(free->pages, owned->pages, "free-space map of " + structure);
        }
        return data_pages;
    }

    void check_long_value_maps(const TableDefinition& table) {
        for (const LongValueMaps& maps : table.long_value_maps) {
            const Column* column = table.column_by_number(maps.column_number);
            const std::string structure =
                "long values of column " +
                (column ? "'" + column->name + "'" : std::to_string(maps.column_number)) +
                " of table '" + table.name + "'";
            std::optional<UsageMapContents> owned;
            if (maps.owned_pages == 0) {
                log_.warning(table.page, structure, "the owned-pages map pointer is 0");
            } else {
                owned = read_map(maps.owned_pages, "owned-pages map of " + structure);
            }
            if (owned) {
                for (PageNumber page : owned->pages) {
                    owners_.claim(page, PageRole::LongValue, structure, log_);
                    check_long_value_page(page, structure);
                }
            }
            if (maps.free_pages == 0) {
                // Access leaves this pointer 0 on some system tables' columns.
                log_.warning(table.page, structure, "the free-space map pointer is 0");
                continue;
            }
            const auto free = read_map(maps.free_pages, "free-space map of " + structure);
            if (owned && free) {
                report_pages_outside(free->pages, owned->pages, "free-space map of " + structure);
            }
        }
    }

    std::optional<std::vector<PageNumber>> claim_index_pages(const TableDefinition& table,
                                                             const RealIndex& index) {
        const std::string structure = describe_index(table, index);
        const auto map = read_map(index.usage_map, "usage map of " + structure);
        if (!map) {
            return std::nullopt;
        }
        for (PageNumber page : map->pages) {
            owners_.claim(page, PageRole::IndexPage, structure, log_);
        }
        return map->pages;
    }

    // Reads a map and claims the pages that hold it.
    std::optional<UsageMapContents> read_map(std::uint32_t pointer, const std::string& structure) {
        auto map = read_checked_usage_map(pager_, pointer, structure, log_);
        if (!map) {
            return map;
        }
        owners_.claim(map->holder, PageRole::MapHolder, structure, log_);
        if (checked_holders_.insert(map->holder).second) {
            check_data_page_layout(*pager_.read(map->holder), map->holder, "usage-map page", log_);
        }
        for (PageNumber page : map->bitmap_pages) {
            owners_.claim(page, PageRole::MapBitmap, structure, log_);
        }
        if (map->set_past_end > 0) {
            log_.error(map->holder, structure,
                       "marks " + std::to_string(map->set_past_end) +
                           " pages past the end of the file (" +
                           std::to_string(pager_.page_count()) + " pages)");
        }
        return map;
    }

    bool is_data_page_of(PageNumber page, PageNumber table_page, const std::string& structure) {
        const PageRef bytes = pager_.read(page);
        if ((*bytes)[0] != static_cast<std::uint8_t>(PageType::Data)) {
            log_.error(page, structure,
                       "the owned-pages map names a page of type " + std::to_string((*bytes)[0]) +
                           ", not a data page");
            return false;
        }
        const std::uint32_t owner = get_u32le(bytes->data() + data_page_format::kOwnerOffset);
        if (owner != table_page) {
            log_.error(page, structure,
                       "the owned-pages map names a data page whose owner is page " +
                           std::to_string(owner) + ", not the table's definition page " +
                           std::to_string(table_page));
            return false;
        }
        return true;
    }

    void check_long_value_page(PageNumber page, const std::string& structure) {
        const PageRef bytes = pager_.read(page);
        if ((*bytes)[0] != static_cast<std::uint8_t>(PageType::Data) ||
            get_u32le(bytes->data() + data_page_format::kOwnerOffset) !=
                data_page_format::kLongValueOwner) {
            log_.error(page, structure,
                       "the owned-pages map names a page that is not a long-value page (type " +
                           std::to_string((*bytes)[0]) + ")");
            return;
        }
        check_data_page_layout(*bytes, page, structure, log_);
    }

    void report_pages_outside(const std::vector<PageNumber>& pages,
                              const std::vector<PageNumber>& owned, const std::string& structure) {
        for (PageNumber page : pages) {
            if (!std::binary_search(owned.begin(), owned.end(), page)) {
                log_.warning(page, structure,
                             "names a page that the matching owned-pages map does not");
            }
        }
    }

    Database& db_;
    Pager& pager_;
    CheckReport& report_;
    FindingLog log_;
    PageOwnership owners_;
    std::set<PageNumber> checked_holders_;
};

}  // namespace

CheckReport check_database(Database& db) {
    CheckReport report;
    DatabaseChecker(db, report).run();
    return report;
}

std::string format_finding(const Finding& finding) {
    std::string line = finding.severity == Severity::Error ? "error: " : "warning: ";
    if (finding.page) {
        line += "page " + std::to_string(*finding.page) + ": ";
    }
    if (!finding.structure.empty()) {
        line += finding.structure + ": ";
    }
    return line + finding.message;
}

}  // namespace jet
