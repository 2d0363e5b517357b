// Pages: the unit in which the pager reads the file, and their type codes.
// Page numbers and row pointers are in row_pointer.h.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "jet/row_pointer.h"

namespace jet {

constexpr std::size_t kPageSize = 2048;

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

}  // namespace jet
