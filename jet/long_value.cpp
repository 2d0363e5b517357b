// Long value (Memo, OLE) as stored in a row's variable area:
//
//   0   u32   bits 0-29 length in bytes; bits 30-31 the form:
//             0x80000000 inline, 0x40000000 in one long-value row, 0 in a chain of rows
//   4   u32   data pointer to the first long-value row (not used inline)
//   8   u32   0
//   12  ...   the data, inline form only
//
// One-row form: the long-value row holds the data.
// Chain form: each long-value row is a u32 data pointer to the next row (0 on
// the last) followed by a piece of the data.
#include "jet/long_value.h"

#include <optional>
#include <set>

#include "jet/coding.h"
#include "jet/data_page.h"
#include "jet/error.h"
#include "jet/page.h"

namespace jet {
namespace {

constexpr std::size_t kHeaderSize = 12;
constexpr std::uint32_t kInline = 0x80000000u;
constexpr std::uint32_t kOneRow = 0x40000000u;
constexpr std::uint32_t kLengthMask = 0x3FFFFFFFu;

std::span<const std::uint8_t> long_value_row(Pager& pager, RowPointer at, const std::string& what,
                                             std::optional<DataPage>& holder) {
    holder.emplace(pager.read(at.page), at.page, "long value of " + what);
    const RowSlot slot = holder->slot(at.row);
    if (slot.deleted) {
        throw FormatError("page " + std::to_string(at.page) + ": long value of " + what + ": row " +
                          std::to_string(at.row) + " is deleted");
    }
    return holder->bytes(slot);
}

}  // namespace

std::vector<std::uint8_t> read_long_value(Pager& pager, std::span<const std::uint8_t> field,
                                          const std::string& what) {
    if (field.size() < kHeaderSize) {
        throw FormatError(what + ": long-value header is " + std::to_string(field.size()) +
                          " bytes, expected at least 12");
    }
    const std::uint32_t word = get_u32le(field.data());
    const std::uint32_t length = word & kLengthMask;
    const RowPointer first = RowPointer::from_data_pointer(get_u32le(field.data() + 4));
    const std::string where = "page " + std::to_string(first.page) + ": long value of " + what;

    if (word & kInline) {
        if (length > field.size() - kHeaderSize) {
            throw FormatError(what + ": inline long value of " + std::to_string(length) +
                              " bytes is longer than its field (" + std::to_string(field.size()) +
                              ")");
        }
        return {field.begin() + kHeaderSize, field.begin() + kHeaderSize + length};
    }
    if (length > pager.file_size()) {
        throw FormatError(where + ": length " + std::to_string(length) +
                          " is larger than the whole file");
    }
    if (length == 0) {
        return {};
    }
    std::optional<DataPage> holder;
    if (word & kOneRow) {
        const auto row = long_value_row(pager, first, what, holder);
        if (row.size() < length) {
            throw FormatError(where + ": row " + std::to_string(first.row) + " holds " +
                              std::to_string(row.size()) + " bytes of a " + std::to_string(length) +
                              "-byte value");
        }
        return {row.begin(), row.begin() + length};
    }

    std::vector<std::uint8_t> data;
    std::set<RowPointer> seen;
    RowPointer at = first;
    while (data.size() < length) {
        if (!seen.insert(at).second) {
            throw FormatError("page " + std::to_string(at.page) + ": long value of " + what +
                              ": its chain of rows returns to row " + std::to_string(at.row));
        }
        const auto row = long_value_row(pager, at, what, holder);
        if (row.size() < 4) {
            throw FormatError("page " + std::to_string(at.page) + ": long value of " + what +
                              ": chain row " + std::to_string(at.row) +
                              " is shorter than its pointer");
        }
        const std::size_t take = std::min<std::size_t>(row.size() - 4, length - data.size());
        data.insert(data.end(), row.begin() + 4, row.begin() + 4 + take);
        const std::uint32_t next = get_u32le(row.data());
        if (data.size() < length && next == 0) {
            throw FormatError("page " + std::to_string(at.page) + ": long value of " + what +
                              ": chain ends after " + std::to_string(data.size()) + " of " +
                              std::to_string(length) + " bytes");
        }
        at = RowPointer::from_data_pointer(next);
    }
    return data;
}

}  // namespace jet
