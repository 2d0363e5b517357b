// The layout of page 0 is described in header_page_format.h.
#include "jet/header_page.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "jet/coding.h"
#include "jet/error.h"

namespace jet {
namespace {

namespace format = header_page_format;

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

std::array<std::uint8_t, format::kMaskLength> header_mask_keystream() {
    std::array<std::uint8_t, 256> s;
    for (int i = 0; i < 256; ++i) {
        s[i] = static_cast<std::uint8_t>(i);
    }
    std::uint8_t j = 0;
    for (int i = 0; i < 256; ++i) {
        j = static_cast<std::uint8_t>(j + s[i] + format::kMaskKey[i % std::size(format::kMaskKey)]);
        std::swap(s[i], s[j]);
    }
    std::array<std::uint8_t, format::kMaskLength> out;
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
    const std::uint8_t* magic = page0.data() + format::kMagicOffset;
    const bool jet = std::memcmp(magic, format::kJetMagic, format::kMagicLength) == 0;
    const bool ace = std::memcmp(magic, format::kAceMagic, format::kMagicLength) == 0;
    if (page0[0] != static_cast<std::uint8_t>(PageType::DatabaseHeader) || (!jet && !ace)) {
        throw UnsupportedFile("not an Access database");
    }
    const std::uint32_t version = get_u32le(page0.data() + format::kVersionOffset);
    if (version != format::kJet3Version || ace) {
        const std::uint32_t named =
            ace && version < format::kAccess2007Version ? format::kAccess2007Version : version;
        throw UnsupportedFile(later_version_name(named) + " files are not supported");
    }
    std::array<std::uint8_t, format::kMaskLength> region;
    const auto keystream = header_mask_keystream();
    for (std::size_t i = 0; i < format::kMaskLength; ++i) {
        region[i] = page0[format::kMaskStart + i] ^ keystream[i];
    }
    auto at = [&](std::size_t offset) { return region.data() + (offset - format::kMaskStart); };
    if (get_u32le(at(format::kDatabaseKeyOffset)) != 0) {
        throw UnsupportedFile("the file is an encoded Access 97 database, which is not supported");
    }
    Header header;
    header.sort_order = get_u16le(at(format::kSortOrderOffset));
    header.code_page = get_u16le(at(format::kCodePageOffset));
    return header;
}

}  // namespace jet
