// Where things are in a database file, as the engine's users see it: the
// number of a page and the place of a row.
#pragma once

#include <compare>
#include <cstdint>

namespace jet {

using PageNumber = std::uint32_t;

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
