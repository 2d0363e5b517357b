// Page 0, the database header (offsets in bytes):
//
//   0x00  u8      page type 0x00
//   0x01  u8      0x01
//   0x04  16      "Standard Jet DB\0" ("Standard ACE DB\0" for Access 2007 and later)
//   0x14  u32     format version: 0 Jet 3 (Access 97), 1 Jet 4 (Access 2000),
//                 2 Access 2007, 3 Access 2010, 4 Access 2013, 5 Access 2016, 6 Access 2019
//   0x18  126     region masked by XOR with a fixed RC4 keystream (key C7 DA 39 6B):
//     0x3A  u16   sort order (collation LCID)
//     0x3C  u16   code page
//     0x3E  u32   database key; non-zero means every other page is RC4-encoded
//     0x42  20    password
//   0x600 512     commit bytes
#include "jet/header.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "jet/coding.h"
#include "jet/error.h"

namespace jet {
namespace {

constexpr std::size_t kMaskStart = kHeaderMaskStart;
constexpr std::size_t kMaskLength = kHeaderMaskLength;

std::string later_version_name(std::uint32_t version) {
    switch (version) {
        case 1:
            return "Access 2000 (Jet 4)";
        case 2:
            return "Access 2007";
        case 3:
            return "Access 2010";
        case 4:
            return "Access 2013";
        case 5:
            return "Access 2016";
        case 6:
            return "Access 2019";
        default:
            return "Access (format version " + std::to_string(version) + ")";
    }
}

}  // namespace

std::array<std::uint8_t, kHeaderMaskLength> header_mask_keystream() {
    const std::uint8_t key[4] = {0xC7, 0xDA, 0x39, 0x6B};
    std::array<std::uint8_t, 256> s;
    for (int i = 0; i < 256; ++i) {
        s[i] = static_cast<std::uint8_t>(i);
    }
    std::uint8_t j = 0;
    for (int i = 0; i < 256; ++i) {
        j = static_cast<std::uint8_t>(j + s[i] + key[i % 4]);
        std::swap(s[i], s[j]);
    }
    std::array<std::uint8_t, kMaskLength> out;
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    for (auto& byte : out) {
        a = static_cast<std::uint8_t>(a + 1);
        b = static_cast<std::uint8_t>(b + s[a]);
        std::swap(s[a], s[b]);
        byte = s[static_cast<std::uint8_t>(s[a] + s[b])];
    }
    return out;
}

Header read_header(const Page& page0) {
    const bool jet = std::memcmp(page0.data() + 4, "Standard Jet DB", 16) == 0;
    const bool ace = std::memcmp(page0.data() + 4, "Standard ACE DB", 16) == 0;
    if (page0[0] != 0x00 || (!jet && !ace)) {
        throw UnsupportedFile("not an Access database");
    }
    const std::uint32_t version = get_u32le(page0.data() + 0x14);
    if (version != 0 || ace) {
        throw UnsupportedFile(later_version_name(ace && version < 2 ? 2 : version) +
                              " files are not supported");
    }
    std::array<std::uint8_t, kMaskLength> region;
    const auto keystream = header_mask_keystream();
    for (std::size_t i = 0; i < kMaskLength; ++i) {
        region[i] = page0[kMaskStart + i] ^ keystream[i];
    }
    auto at = [&](std::size_t offset) { return region.data() + (offset - kMaskStart); };
    if (get_u32le(at(0x3E)) != 0) {
        throw UnsupportedFile("the file is an encoded Access 97 database, which is not supported");
    }
    Header header;
    header.sort_order = get_u16le(at(0x3A));
    header.code_page = get_u16le(at(0x3C));
    return header;
}

}  // namespace jet
