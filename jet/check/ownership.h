// Which structure owns each page of the file, as the usage maps and the
// table definitions say, and the global usage map checked against that.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/check/log.h"
#include "jet/pager.h"

namespace jet {

enum class PageRole : std::uint8_t {
    Unowned,
    Header,
    GlobalMap,
    TableDefinition,
    TableData,
    LongValue,
    IndexPage,
    MapHolder,  // a data page holding usage-map rows; several maps may share one
    MapBitmap,  // a bitmap page of a reference usage map
};

class PageOwnership {
  public:
    explicit PageOwnership(PageNumber page_count) : owners_(page_count) {}

    // Records that `structure` uses `page` in `role`. A page that already has
    // another owner is an error, except that map holders are shared.
    void claim(PageNumber page, PageRole role, const std::string& structure, FindingLog& log);

    PageRole role(PageNumber page) const { return owners_[page].role; }
    PageNumber page_count() const { return static_cast<PageNumber>(owners_.size()); }

  private:
    struct Owner {
        PageRole role = PageRole::Unowned;
        std::uint32_t structure = 0;  // index into structures_
    };
    std::uint32_t structure_id(const std::string& structure);

    std::vector<Owner> owners_;
    std::vector<std::string> structures_;
};

// Page 1, row 0 marks free pages with a set bit. Every owned page must be
// marked in use; pages marked in use that nothing owns are leaks (a warning:
// Access leaves them behind after dropping a table).
void check_global_usage_map(Pager& pager, const PageOwnership& owners, FindingLog& log);

}  // namespace jet
