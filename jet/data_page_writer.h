// Changing data pages in place: a new empty page, a row added below the
// others, a row replaced by bytes of another length. The page layout is
// described in data_page_format.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "jet/page.h"

namespace jet {

// The most row slots a writer puts on one page (row numbers are one byte;
// 255 keeps clear of the last number).
constexpr unsigned kMaxRowsPerPage = 255;

// Makes `page` an empty data page of `owner`.
void init_data_page(Page& page, std::uint32_t owner);

// Throws FormatError unless page `number` is a data page of `owner` whose row
// offset table and lowest row lie inside the page, as the functions below
// assume; `what` names the structure the page belongs to. Call it before
// changing a page read from the file.
void check_page_for_rows(const Page& page, PageNumber number, std::uint32_t owner,
                         const std::string& what);

// The same checks but the owner's, for pages whose owner is not fixed.
void check_row_area(const Page& page, PageNumber number, const std::string& what);

// Bytes free between the row offset table and the lowest row; 0 when the
// lowest row's offset lies outside the page.
std::size_t data_page_free_space(const Page& page);

// True when a row of `length` bytes and its slot fit on the page.
bool row_fits(const Page& page, std::size_t length);

// Puts the row directly below the last slot's row in a new slot and returns
// the slot's number. Throws std::logic_error when it does not fit.
unsigned append_row(Page& page, std::span<const std::uint8_t> row);

// Replaces the bytes of row `slot` with `row`, moving the rows below it so
// that rows stay packed; every slot keeps its flags. Throws
// std::logic_error when the page has no room for the longer row.
void replace_row(Page& page, unsigned slot, std::span<const std::uint8_t> row);

}  // namespace jet
