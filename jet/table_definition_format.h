// The byte layout of a table definition (TDEF), described once: its reader
// (table_definition.cpp), the writer of new definitions
// (create/table_definition.cpp) and the code that patches its counts after an
// insert (row_inserter.cpp, create/database.cpp) all take their offsets and
// sizes from here. The values of the flags and table types are stated once,
// by the types of table_definition.h that carry them. Integers are
// little-endian.
//
// Every definition page starts with an 8-byte header:
//
//   0   u8    0x02, the page type
//   1   u8    0x01
//   2   2     "VC"
//   4   u32   next definition page, 0 on the last
//
// The definition is the first page followed by bytes 8-2047 of each next
// page; the offsets below are in that joined buffer.
//
//   8   u32   length of the definition, from byte 0 to the end of the terminator
//   12  u32   row count
//   16  u32   last autonumber value handed out (0 before the first)
//   20  u8    table type: 'N' the user's table, 'S' the engine's own
//   21  u16   columns a row may hold (deleted columns included)
//   23  u16   variable slots a row holds
//   25  u16   column count C
//   27  u32   logical index count L
//   31  u32   real index count R
//   35  u32   data pointer to the usage map of the table's data pages
//   39  u32   data pointer to the usage map of its data pages with free space
//   43  8×R   real index statistics: u32 left as found (0 in new tables),
//             u32 distinct keys ever added (never decremented)
//   then 18×C column records:
//       0  u8   type
//       1  u16  column number: its bit in the null mask; what indexes refer to
//       3  u16  variable slot (fixed columns: the slots of the variable
//               columns before them)
//       5  u16  unread: often the column number again, 0 in most columns of
//               the engine's own tables
//       7  u16  unread: 0 or 1
//       9  u16  sort order
//       11 u16  code page
//       13 u8   flags (Column::kFixed, kUpdatable, ... in table_definition.h)
//       14 u16  offset in the fixed area (fixed columns; 0 for Yes/No, whose
//               value is its null-mask bit)
//       16 u16  size: the type's fixed size (1 for Yes/No), the maximum bytes
//               of Text and Binary, 0 for Memo and OLE
//   then C names: u8 length + code-page bytes
//   then 39×R real index records:
//       0  10 × {u16 column number (0xFFFF: slot unused), u8 0x01 ascending}
//       30 u32  data pointer to the usage map of its pages
//       34 u32  root page
//       38 u8   flags (RealIndex::kUnique, ... in table_definition.h)
//   then 20×L logical index records (Access keeps them sorted by name):
//       0  u32  logical index number
//       4  u32  real index it uses
//       8  u8   relationship side
//       9  i32  related logical index, -1 when none
//       13 u32  related table's definition page, 0 when none
//       17 u8   cascade updates
//       18 u8   cascade deletes
//       19 u8   kind: 0 other, 1 primary key, 2 foreign key
//   then L names in the same order: u8 length + code-page bytes
//   then per Memo and OLE column: u16 column number, u32 data pointer to the
//   usage map of its long-value pages, u32 the same for those with free space
//   ended by u16 0xFFFF.
#pragma once

#include <cstddef>
#include <cstdint>

namespace jet::table_definition_format {

// The header of every definition page; byte 0 is the page type (page.h).
constexpr std::size_t kPageMarkerOffset = 1;
constexpr std::uint8_t kPageMarker = 0x01;
constexpr std::size_t kSignatureOffset = 2;
constexpr char kSignature[2] = {'V', 'C'};
constexpr std::size_t kNextPageOffset = 4;
constexpr std::size_t kPageHeaderSize = 8;

// The fixed block.
constexpr std::size_t kLengthOffset = 8;
constexpr std::size_t kRowCountOffset = 12;
constexpr std::size_t kAutonumberOffset = 16;
constexpr std::size_t kTableTypeOffset = 20;
constexpr std::size_t kMaxColumnsOffset = 21;
constexpr std::size_t kVariableColumnsOffset = 23;
constexpr std::size_t kColumnCountOffset = 25;
constexpr std::size_t kLogicalIndexCountOffset = 27;
constexpr std::size_t kRealIndexCountOffset = 31;
constexpr std::size_t kOwnedPagesMapOffset = 35;
constexpr std::size_t kFreePagesMapOffset = 39;
constexpr std::size_t kFixedBlockSize = 43;

// Real index statistics, from the end of the fixed block.
constexpr std::size_t kStatisticsSize = 8;
constexpr std::size_t kUniqueEntryCountOffset = 4;

// Where real index `real_index`'s count of distinct keys is; always on the
// first page, since the statistics directly follow the fixed block.
constexpr std::size_t unique_entry_count_offset(std::size_t real_index) {
    return kFixedBlockSize + kStatisticsSize * real_index + kUniqueEntryCountOffset;
}

// Column records.
constexpr std::size_t kColumnRecordSize = 18;
constexpr std::size_t kColumnTypeOffset = 0;
constexpr std::size_t kColumnNumberOffset = 1;
constexpr std::size_t kColumnVariableSlotOffset = 3;
constexpr std::size_t kColumnNumberAgainOffset = 5;
constexpr std::size_t kColumnSortOrderOffset = 9;
constexpr std::size_t kColumnCodePageOffset = 11;
constexpr std::size_t kColumnFlagsOffset = 13;
constexpr std::size_t kColumnFixedOffsetOffset = 14;
constexpr std::size_t kColumnSizeOffset = 16;

// Column and index names: a u8 length, then the bytes. Access allows names
// of at most 64 characters.
constexpr std::size_t kMaxNameLength = 64;

// Real index records.
constexpr std::size_t kRealIndexRecordSize = 39;
constexpr std::size_t kIndexColumnSlots = 10;
constexpr std::size_t kIndexColumnSlotSize = 3;
constexpr std::size_t kIndexColumnOrderOffset = 2;  // in a slot
constexpr std::uint16_t kUnusedIndexColumn = 0xFFFF;
constexpr std::uint8_t kIndexColumnAscending = 0x01;
constexpr std::size_t kRealIndexUsageMapOffset = 30;
constexpr std::size_t kRealIndexRootPageOffset = 34;
constexpr std::size_t kRealIndexFlagsOffset = 38;

// Logical index records.
constexpr std::size_t kLogicalIndexRecordSize = 20;
constexpr std::size_t kLogicalIndexNumberOffset = 0;
constexpr std::size_t kLogicalIndexRealIndexOffset = 4;
constexpr std::size_t kLogicalIndexSideOffset = 8;
constexpr std::size_t kLogicalIndexRelatedIndexOffset = 9;
constexpr std::size_t kLogicalIndexRelatedTableOffset = 13;
constexpr std::size_t kLogicalIndexCascadeUpdatesOffset = 17;
constexpr std::size_t kLogicalIndexCascadeDeletesOffset = 18;
constexpr std::size_t kLogicalIndexKindOffset = 19;
constexpr std::uint32_t kNoRelatedIndex = 0xFFFFFFFF;  // -1

// The long-value map list.
constexpr std::size_t kLongValueMapsRecordSize = 10;
constexpr std::size_t kLongValueMapsColumnOffset = 0;
constexpr std::size_t kLongValueMapsOwnedOffset = 2;
constexpr std::size_t kLongValueMapsFreeOffset = 6;
constexpr std::uint16_t kLongValueMapsEnd = 0xFFFF;

}  // namespace jet::table_definition_format
