// The layout of a data page (page type 0x01): the page that holds table rows,
// long values and usage-map rows. Every reader, writer and checker of data
// pages takes its positions, sizes and flag values from here.
//
//   0   u8    0x01
//   1   u8    0x01
//   2   u16   free space: start of the last slot's row - (10 + 2 × slots);
//             2038 on an empty page
//   4   u32   owner: the table's definition page; "LVAL" on long-value pages;
//             0 on pages that hold usage-map rows; 1 on page 1 (global map)
//   8   u16   number of row slots n (deleted ones included)
//   10  u16×n row offset table, slot 0 first:
//             bits 0x1FFF  offset of the row's first byte
//             0x2000       never set in any file examined
//             0x4000 alone the row is a 4-byte data pointer to the row's real place
//             0x8000 alone the row is such a pointer's target
//             0xC000       the row is deleted
//
// Rows are packed downward from the end of the page in slot order: slot 0 ends
// at 2048, slot i ends where slot i-1 starts. Row numbers are one byte in
// every data pointer, so a page has at most 256 slots.
#pragma once

#include <cstddef>
#include <cstdint>

#include "jet/page.h"

namespace jet::data_page_format {

constexpr std::size_t kMarkOffset = 1;
constexpr std::uint8_t kMark = 0x01;
constexpr std::size_t kFreeSpaceOffset = 2;
constexpr std::size_t kOwnerOffset = 4;
constexpr std::size_t kRowCountOffset = 8;
constexpr std::size_t kRowOffsetTableOffset = 10;
constexpr std::size_t kHeaderSize = kRowOffsetTableOffset;
constexpr std::size_t kRowOffsetEntrySize = 2;

// Row offset table entries.
constexpr std::uint16_t kRowOffsetMask = 0x1FFF;
constexpr std::uint16_t kUnknownFlag = 0x2000;
constexpr std::uint16_t kRowFlagsMask = 0xC000;
constexpr std::uint16_t kLookupFlag = 0x4000;
constexpr std::uint16_t kLookupTargetFlag = 0x8000;
constexpr std::uint16_t kDeletedFlags = 0xC000;

constexpr unsigned kMaxRowSlots = 256;

// Owner field values that are not a table's definition page.
constexpr std::uint32_t kUsageMapHolderOwner = 0;
constexpr std::uint32_t kGlobalMapOwner = 1;
constexpr std::uint32_t kLongValueOwner = 0x4C41564Cu;  // the ASCII bytes "LVAL"

constexpr std::size_t kEmptyPageFreeSpace = kPageSize - kHeaderSize;

// Where the row offset table entry of `slot` lies.
constexpr std::size_t row_offset_entry(unsigned slot) {
    return kRowOffsetTableOffset + kRowOffsetEntrySize * slot;
}

// One past the row offset table of a page with `slots` slots.
constexpr std::size_t row_offset_table_end(unsigned slots) {
    return row_offset_entry(slots);
}

}  // namespace jet::data_page_format
