// Pages: the unit in which the pager reads the file, and the pointers the
// format uses to name pages and rows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace jet {

constexpr std::size_t kPageSize = 2048;

using PageNumber = std::uint32_t;
using Page = std::array<std::uint8_t, kPageSize>;
// A page as the pager hands it out; it stays valid after the cache drops it.
using PageRef = std::shared_ptr<const Page>;

// Page type codes, byte 0 of every page.
enum class PageType : std::uint8_t {
    DatabaseHeader = 0x00,
    Data = 0x01,
    TableDefinition = 0x02,
    IndexNode = 0x03,
    IndexLeaf = 0x04,
    UsageBitmap = 0x05,
};

// A row on a data page: a data pointer stores it as page * 256 + row.
struct RowPointer {
    PageNumber page = 0;
    std::uint8_t row = 0;

    static RowPointer from_data_pointer(std::uint32_t v) {
        return {v >> 8, static_cast<std::uint8_t>(v & 0xFF)};
    }
    bool operator==(const RowPointer&) const = default;
    auto operator<=>(const RowPointer&) const = default;
};

}  // namespace jet
