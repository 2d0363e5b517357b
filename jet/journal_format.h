// The byte layout of the rollback journal `<database>-journal`, stated once:
// the journal writes its records and the recovery reads them back by the
// names below. How and in what order they are written, and what recovery
// decides from them, is described in journal.cpp.
//
// The journal holds at most one save (the inserts committed since the last
// one, see pager.h): the record of each save is written from the start of the
// file over the previous one. Integers are little-endian.
//
// Header, 64 bytes:
//   0   8  magic "LSJRNL02"
//   8   4  number of page records that follow
//   12  4  zero
//   16  8  sequence number of the save, new for every record in the file
//   24  8  length of the database file before the save
//   32  8  length of the database file after the save (it grows by the
//          pages the save adds)
//   40  8  hash of page 0 before the save (0 when the file had none): the
//          database the journal belongs to
//   48  8  hash of bytes 0-47
//   56  4  state: 1 = the save's pages may be in the database, 0 = retired
//   60  4  zero
// Page record, 2096 bytes, one for every page the save changes that existed
// before it (pages it adds are undone by restoring the length):
//   0     4     page number
//   4     4     zero
//   8     2048  the page's bytes before the save
//   2056  32    hashes of the page's four 512-byte sectors after the save
//   2088  8     hash of bytes 0-2087, seeded with the sequence number (a
//               record left over from an earlier save never validates)
// Hashes are hash_bytes with seed 0 unless said otherwise.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "jet/page.h"

namespace jet::journal_format {

constexpr std::array<std::uint8_t, 8> kMagic = {'L', 'S', 'J', 'R', 'N', 'L', '0', '2'};

// The header.
constexpr std::size_t kMagicOffset = 0;
constexpr std::size_t kRecordCountOffset = 8;
constexpr std::size_t kZeroAfterCountOffset = 12;
constexpr std::size_t kSequenceOffset = 16;
constexpr std::size_t kLengthBeforeOffset = 24;
constexpr std::size_t kLengthAfterOffset = 32;
constexpr std::size_t kHeaderPageHashOffset = 40;
// The hash of the header's bytes before it.
constexpr std::size_t kHeaderHashOffset = 48;
constexpr std::size_t kStateOffset = 56;
constexpr std::size_t kZeroAfterStateOffset = 60;
constexpr std::size_t kHeaderSize = 64;

constexpr std::uint32_t kStateRetired = 0;
constexpr std::uint32_t kStatePending = 1;

// A page record, from its own start; records follow the header one after the
// other.
constexpr std::size_t kSectorSize = 512;
constexpr std::size_t kSectors = kPageSize / kSectorSize;
constexpr std::size_t kRecordPageNumberOffset = 0;
constexpr std::size_t kRecordZeroOffset = 4;
constexpr std::size_t kRecordBeforeOffset = 8;
constexpr std::size_t kHashSize = 8;
// kSectors hashes, one per sector of the page after the save.
constexpr std::size_t kRecordAfterOffset = kRecordBeforeOffset + kPageSize;
// The hash of the record's bytes before it, seeded with the sequence number.
constexpr std::size_t kRecordHashOffset = kRecordAfterOffset + kHashSize * kSectors;
constexpr std::size_t kRecordSize = kRecordHashOffset + kHashSize;
static_assert(kRecordHashOffset == 2088 && kRecordSize == 2096);

}  // namespace jet::journal_format
