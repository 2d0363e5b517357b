#include "jet/check/ownership.h"

#include <algorithm>

#include "jet/check/usage_map.h"

namespace jet {
namespace {

constexpr std::uint32_t kGlobalMapRow = 1u << 8;  // page 1, row 0
const std::string kGlobalMap = "global usage map";

std::string role_name(PageRole role) {
    switch (role) {
        case PageRole::Unowned:
            return "nothing";
        case PageRole::Header:
            return "the database header";
        case PageRole::GlobalMap:
            return "the global usage map";
        case PageRole::TableDefinition:
            return "a table definition";
        case PageRole::TableData:
            return "a data page";
        case PageRole::LongValue:
            return "a long-value page";
        case PageRole::IndexPage:
            return "an index page";
        case PageRole::MapHolder:
            return "a usage-map page";
        case PageRole::MapBitmap:
            return "a usage-map bitmap page";
    }
    return "an unknown role";
}

// "pages 4, 9-12 and 40" style list of at most `limit` runs.
std::string page_runs(const std::vector<PageNumber>& pages, std::size_t limit) {
    std::string text;
    std::size_t runs = 0;
    for (std::size_t i = 0; i < pages.size();) {
        std::size_t j = i;
        while (j + 1 < pages.size() && pages[j + 1] == pages[j] + 1) {
            ++j;
        }
        if (runs == limit) {
            return text + ", ...";
        }
        text += (runs ? ", " : "") + std::to_string(pages[i]) +
                (j > i ? "-" + std::to_string(pages[j]) : "");
        ++runs;
        i = j + 1;
    }
    return text;
}

}  // namespace

std::uint32_t PageOwnership::structure_id(const std::string& structure) {
    if (structures_.empty() || structures_.back() != structure) {
        structures_.push_back(structure);
    }
    return static_cast<std::uint32_t>(structures_.size() - 1);
}

void PageOwnership::claim(PageNumber page, PageRole role, const std::string& structure,
                          FindingLog& log) {
    if (page >= owners_.size()) {
        log.error(page, structure,
                  "names page " + std::to_string(page) + " as " + role_name(role) +
                      ", past the end of the file (" + std::to_string(owners_.size()) + " pages)");
        return;
    }
    Owner& owner = owners_[page];
    if (owner.role == PageRole::Unowned) {
        owner = {role, structure_id(structure)};
        return;
    }
    const bool holds_maps = owner.role == PageRole::MapHolder || owner.role == PageRole::GlobalMap;
    if (holds_maps && role == PageRole::MapHolder) {
        return;
    }
    const std::string& first = structures_[owner.structure];
    if (first == structure && owner.role == role) {
        log.error(page, structure, "the page is listed twice as " + role_name(role));
        return;
    }
    log.error(page, structure,
              "the page is owned twice: as " + role_name(role) + " here and as " +
                  role_name(owner.role) + " of " + first);
}

void check_global_usage_map(Pager& pager, const PageOwnership& owners, FindingLog& log) {
    const auto map = read_checked_usage_map(pager, kGlobalMapRow, kGlobalMap, log);
    if (!map) {
        return;
    }
    const PageNumber page_count = owners.page_count();
    std::vector<bool> free(page_count, false);
    for (PageNumber page : map->pages) {
        free[page] = true;
    }
    std::vector<PageNumber> leaked;
    for (PageNumber page = 0; page < page_count; ++page) {
        const bool covered = page >= map->first_covered && page < map->end_covered;
        const bool owned = owners.role(page) != PageRole::Unowned;
        if (owned && free[page]) {
            log.error(page, kGlobalMap,
                      "marks the page free, but it is " + role_name(owners.role(page)) + " in use");
        } else if (!owned && covered && !free[page]) {
            leaked.push_back(page);
        }
    }
    if (map->end_covered < page_count || map->first_covered > 0) {
        log.warning(1, kGlobalMap,
                    "covers pages " + std::to_string(map->first_covered) + "-" +
                        std::to_string(map->end_covered - 1) + " only; the file has " +
                        std::to_string(page_count) + " pages");
    }
    if (!leaked.empty()) {
        log.warning(1, kGlobalMap,
                    std::to_string(leaked.size()) +
                        " pages are marked in use but no table, index or long-value column owns "
                        "them (pages " +
                        page_runs(leaked, 8) + ")");
    }
}

}  // namespace jet
