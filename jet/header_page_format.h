// The layout of page 0, the database header. Its reader (header_page.cpp) and the
// creator of new files (create/header_page.cpp) take every position, size
// and value from here. Offsets in bytes, integers little-endian:
//
//   0x000  u8    page type 0x00
//   0x001  u8    0x01
//   0x004  16    "Standard Jet DB\0" ("Standard ACE DB\0" for Access 2007 and later)
//   0x014  u32   format version: 0 Jet 3 (Access 97), 1 Jet 4 (Access 2000),
//                2 Access 2007, 3 Access 2010, 4 Access 2013, 5 Access 2016, 6 Access 2019
//   0x018  126   masked region: XOR-ed with the RC4 keystream of the key
//                C7 DA 39 6B, both when it is read and when it is written
//     0x018  34  meaning unknown; every Access 97 file has 00 01 00 00 01 01 00 00
//                02 00 00 00 03 00 00 00 04 00 00 00 05 00 00 00, then zeros but
//                for its last two bytes (01 00 or 00 00)
//     0x03A  u16 sort order (collation LCID, 1033 General)
//     0x03C  u16 code page (Access 97 writes 1252 whatever the machine's)
//     0x03E  u32 database key; non-zero means every other page is RC4-encoded
//     0x042  20  database password, code-page bytes padded with zeros; all zeros: none
//   0x600  512   commit bytes: one pair per user slot, XX 01
// Everything else is zero.
#pragma once

#include <cstddef>
#include <cstdint>

namespace jet::header_page_format {

constexpr std::size_t kMarkOffset = 0x01;
constexpr std::uint8_t kMark = 0x01;

constexpr std::size_t kMagicOffset = 0x04;
constexpr std::size_t kMagicLength = 16;
constexpr char kJetMagic[kMagicLength] = "Standard Jet DB";
constexpr char kAceMagic[kMagicLength] = "Standard ACE DB";

constexpr std::size_t kVersionOffset = 0x14;
constexpr std::uint32_t kJet3Version = 0;
constexpr std::uint32_t kAccess2007Version = 2;

constexpr std::size_t kMaskStart = 0x18;
constexpr std::size_t kMaskLength = 126;
constexpr std::uint8_t kMaskKey[4] = {0xC7, 0xDA, 0x39, 0x6B};

// Inside the masked region, as offsets in the page.
constexpr std::size_t kSortOrderOffset = 0x3A;
constexpr std::size_t kCodePageOffset = 0x3C;
constexpr std::size_t kDatabaseKeyOffset = 0x3E;
constexpr std::size_t kPasswordOffset = 0x42;
constexpr std::size_t kPasswordLength = 20;

constexpr std::size_t kCommitBytesOffset = 0x600;
constexpr std::size_t kCommitBytesLength = 512;
constexpr std::size_t kCommitSlotSize = 2;
constexpr std::uint8_t kCommitSlotMark = 0x01;

}  // namespace jet::header_page_format
