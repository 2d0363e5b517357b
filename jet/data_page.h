// Data pages: the pages that hold table rows, long values and usage maps.
// The page layout is described in data_page_format.h.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "jet/page.h"

namespace jet {

// One slot of a data page's row offset table, with its row's extent.
struct RowSlot {
    std::uint16_t start = 0;     // first byte of the row within the page
    std::uint16_t end = 0;       // one past its last byte
    bool deleted = false;        // both flags: the row was deleted
    bool lookup = false;         // the row holds only a data pointer to where the row lives
    bool lookup_target = false;  // the row is the target of another slot's lookup
};

class DataPage {
  public:
    // Checks that the page is a data page; `what` names the structure that
    // refers to it, for error messages.
    DataPage(PageRef page, PageNumber number, const std::string& what);

    PageNumber number() const { return number_; }
    std::uint32_t owner() const;
    unsigned row_count() const { return row_count_; }

    // The slot and its extent, checked against the page; throws FormatError.
    RowSlot slot(unsigned row) const;
    // The row's bytes; throws FormatError for a deleted slot, whose extent is unchecked.
    std::span<const std::uint8_t> bytes(const RowSlot& slot) const;

  private:
    PageRef page_;
    PageNumber number_;
    std::string what_;
    unsigned row_count_;
};

}  // namespace jet
