// The byte layout of an index page, leaf or intermediate, stated once: the
// page decoder, the page builder, the tree writer, the page allocator and the
// tree checker all read and write these positions by the names below.
//
// Index pages, 2048 bytes:
//
//   offset size
//   0      1    page type: 0x03 intermediate, 0x04 leaf
//   1      1    0x01
//   2      2    free space, u16 LE = 2048 - 248 - bytes of entry data
//   4      4    table definition page of the owning table, u32 LE
//   8      4    previous page on the same level, u32 LE (0 = none)
//   12     4    next page on the same level, u32 LE (0 = none)
//   16     4    tail page, u32 LE: intermediate pages, the last child (0 on leaves)
//   20     1    prefix length P
//   21     1    0x01 on intermediate pages, 0x00 on leaves
//   22     226  entry-end bitmap
//   248    1800 entry data
//
// Entry data is the entries one after the other from offset 248. For each
// entry, bit (end of the entry - 248) of the bitmap is set (byte pos / 8, bit
// pos % 8, least significant bit first), so the set bits count the entries and
// mark where each one ends.
//
// Prefix compression: the first entry is stored whole; every later entry is
// stored without its first P bytes, which equal the first P bytes of the first
// entry. P counts whole entry bytes and may reach past the key into the row
// pointer.
//
// A whole entry, once its prefix is restored:
//   leaf          key | data page u24 BE | row u8
//   intermediate  key | data page u24 BE | row u8 | child page u32 BE
// The key and row pointer of an intermediate entry are those of the last entry
// in the child's subtree. Entries are in ascending order of (key bytes, data
// page, row).
#pragma once

#include <cstddef>
#include <cstdint>

#include "jet/page.h"

namespace jet::index_page_format {

constexpr std::size_t kTypeOffset = 0;
// Byte 1 holds 0x01 on every index page.
constexpr std::size_t kFixedByteOffset = 1;
constexpr std::uint8_t kFixedByte = 0x01;
constexpr std::size_t kFreeSpaceOffset = 2;
constexpr std::size_t kTablePageOffset = 4;
constexpr std::size_t kPreviousPageOffset = 8;
constexpr std::size_t kNextPageOffset = 12;
constexpr std::size_t kTailPageOffset = 16;
constexpr std::size_t kPrefixLengthOffset = 20;
// Byte 21 tells the page's level kind once more, beside its type.
constexpr std::size_t kIntermediateMarkOffset = 21;
constexpr std::uint8_t kIntermediateMark = 0x01;
constexpr std::uint8_t kLeafMark = 0x00;
constexpr std::size_t kBitmapOffset = 22;
constexpr std::size_t kEntryDataOffset = 248;
constexpr std::size_t kBitmapSize = kEntryDataOffset - kBitmapOffset;
// Bytes of entry data one page holds; also an empty page's free space.
constexpr std::size_t kEntryCapacity = kPageSize - kEntryDataOffset;
static_assert(kBitmapSize == 226 && kEntryCapacity == 1800);

// The pointers that end an entry: the row pointer (data page u24 BE, row u8)
// on every page, the child page u32 BE after it on intermediate pages.
constexpr std::size_t kRowPointerLength = 4;
constexpr std::size_t kRowNumberOffset = 3;  // within the row pointer
constexpr std::size_t kChildPointerLength = 4;

}  // namespace jet::index_page_format
