// The layout of a usage map: the row on a data page that says which pages a
// table, an index or a long-value column owns, and the bitmap pages a
// reference map points to. Every reader, writer and checker of usage maps
// takes its positions, sizes and bit order from here.
//
// Map row, reached through a data pointer:
//
// Inline map (type 0):
//   0   u8    0x00
//   1   u32   start page: the page that bit 0 stands for
//   5   ...   bitmap to the end of the row
//
// Reference map (type 1):
//   0   u8    0x01
//   1+4k u32  page number of bitmap page k, 0 when absent
//
// Bitmap page (page type 0x05):
//   0   u8    0x05
//   1   u8    0x01
//   2   u16   0
//   4   ...   bitmap to the end of the page; bitmap page k covers pages
//             k × 16352 to (k+1) × 16352 - 1
//
// In every bitmap, bit i (byte i/8, least significant bit first) stands for
// the page bit 0 stands for plus i. The global map on page 1, row 0 has the
// same layout with the opposite meaning (a set bit marks a free page).
//
// Access 97 gives every map row of a new table 133 bytes: an inline map of
// pages 0 to 1023, or, as a reference map, room for 33 bitmap pages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "jet/page.h"

namespace jet::usage_map_format {

constexpr std::size_t kTypeOffset = 0;
constexpr std::uint8_t kInlineMap = 0x00;
constexpr std::uint8_t kReferenceMap = 0x01;

// Inline map rows.
constexpr std::size_t kStartPageOffset = 1;
constexpr std::size_t kInlineHeaderSize = 5;

// Reference map rows.
constexpr std::size_t kBitmapPagePointersOffset = 1;
constexpr std::size_t kBitmapPagePointerSize = 4;

// Bitmap pages.
constexpr std::size_t kBitmapPageMarkOffset = 1;
constexpr std::uint8_t kBitmapPageMark = 0x01;
constexpr std::size_t kBitmapPageHeaderSize = 4;
constexpr PageNumber kBitsPerBitmapPage = (kPageSize - kBitmapPageHeaderSize) * 8;

constexpr std::size_t kNewMapRowLength = 133;

// The pages an inline map row of `row_length` bytes covers.
constexpr std::size_t inline_bit_count(std::size_t row_length) {
    return (row_length - kInlineHeaderSize) * 8;
}

// The bitmap page pointers a reference map row of `row_length` bytes holds.
constexpr std::size_t bitmap_page_pointer_count(std::size_t row_length) {
    return (row_length - kBitmapPagePointersOffset) / kBitmapPagePointerSize;
}

// Where the pointer to bitmap page `k` lies in a reference map row.
constexpr std::size_t bitmap_page_pointer_offset(std::size_t k) {
    return kBitmapPagePointersOffset + kBitmapPagePointerSize * k;
}

// The first page that bitmap page `k` stands for.
constexpr std::uint64_t first_page_of_bitmap_page(std::size_t k) {
    return static_cast<std::uint64_t>(k) * kBitsPerBitmapPage;
}

inline bool bit(const std::uint8_t* bitmap, std::size_t i) {
    return ((bitmap[i / 8] >> (i % 8)) & 1) != 0;
}

inline void put_bit(std::uint8_t* bitmap, std::size_t i, bool value) {
    const auto mask = static_cast<std::uint8_t>(1u << (i % 8));
    bitmap[i / 8] = static_cast<std::uint8_t>(value ? bitmap[i / 8] | mask : bitmap[i / 8] & ~mask);
}

// Calls visit(page) for the page of every set bit of `bitmap`, whose bit 0
// stands for `first_page`, in ascending order, until visit returns false.
// Returns false when visit stopped the walk.
template <typename Visit>
bool visit_set_bits(std::span<const std::uint8_t> bitmap, std::uint64_t first_page, Visit visit) {
    for (std::size_t byte = 0; byte < bitmap.size(); ++byte) {
        if (bitmap[byte] == 0) {
            continue;
        }
        for (unsigned b = 0; b < 8; ++b) {
            if (((bitmap[byte] >> b) & 1) && !visit(first_page + byte * 8 + b)) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace jet::usage_map_format
