#include "jet/long_value_writer.h"

#include <algorithm>
#include <string>

#include "jet/coding.h"
#include "jet/data_page_format.h"
#include "jet/data_page_writer.h"
#include "jet/error.h"
#include "jet/usage_map.h"
#include "jet/usage_map_writer.h"

namespace jet {
namespace {

constexpr std::uint32_t kInline = 0x80000000u;
constexpr std::uint32_t kOneRow = 0x40000000u;
// Data bytes of one chain row that fill an empty page: its free space less
// the slot and the row's pointer to the next row.
constexpr std::size_t kChainPiece =
    data_page_format::kEmptyPageFreeSpace - data_page_format::kRowOffsetEntrySize - 4;

std::vector<std::uint8_t> field_header(std::uint32_t length_and_form, std::uint32_t pointer) {
    std::vector<std::uint8_t> field(12, 0);
    put_u32le(field.data(), length_and_form);
    put_u32le(field.data() + 4, pointer);
    return field;
}

// Places long-value rows on the column's pages.
class LongValueRows {
  public:
    LongValueRows(Pager& pager, PageAllocator& allocator, const TableDefinition& table,
                  const Column& column)
        : pager_(pager), allocator_(allocator) {
        const auto maps =
            std::find_if(table.long_value_maps.begin(), table.long_value_maps.end(),
                         [&](const LongValueMaps& m) { return m.column_number == column.number; });
        if (maps == table.long_value_maps.end() || maps->owned_pages == 0 ||
            maps->free_pages == 0) {
            throw Error("table '" + table.name + "': column '" + column.name +
                        "' has no usage maps for its long values");
        }
        maps_ = *maps;
        what_ = "long values of '" + table.name + "'.'" + column.name + "'";
        const auto with_room = read_usage_map(pager, maps_.free_pages, what_);
        if (!with_room.empty()) {
            page_ = with_room.back();
            check_page_for_rows(*pager.read(page_), page_, data_page_format::kLongValueOwner,
                                what_);
        }
    }

    // Stores the row and returns its data pointer.
    std::uint32_t put(std::span<const std::uint8_t> row) {
        if (page_ != 0 && !row_fits(*pager_.read(page_), row.size())) {
            remove_page_from_map(pager_, allocator_, maps_.free_pages, page_);
            page_ = 0;
        }
        if (page_ == 0) {
            page_ = allocator_.allocate(PageType::Data, data_page_format::kLongValueOwner);
            add_page_to_map(pager_, allocator_, maps_.owned_pages, page_);
            add_page_to_map(pager_, allocator_, maps_.free_pages, page_);
        }
        const unsigned slot = append_row(pager_.modify(page_), row);
        return page_ << 8 | slot;
    }

  private:
    Pager& pager_;
    PageAllocator& allocator_;
    LongValueMaps maps_;
    std::string what_;
    PageNumber page_ = 0;
};

}  // namespace

std::vector<std::uint8_t> inline_long_value_field(std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> field =
        field_header(kInline | static_cast<std::uint32_t>(data.size()), 0);
    field.insert(field.end(), data.begin(), data.end());
    return field;
}

std::vector<std::uint8_t> write_long_value(Pager& pager, PageAllocator& allocator,
                                           const TableDefinition& table, const Column& column,
                                           std::span<const std::uint8_t> data) {
    if (data.size() > kMaxLongValueLength) {
        throw Error("'" + table.name + "'.'" + column.name + "': a long value of " +
                    std::to_string(data.size()) + " bytes is longer than the format allows");
    }
    LongValueRows rows(pager, allocator, table, column);
    const auto length = static_cast<std::uint32_t>(data.size());
    if (data.size() <= kChainPiece + 4) {
        return field_header(kOneRow | length, rows.put(data));
    }
    // The chain is written from its end, so that every row knows the next one.
    std::vector<std::size_t> starts;
    for (std::size_t start = 0; start < data.size(); start += kChainPiece) {
        starts.push_back(start);
    }
    std::uint32_t next = 0;
    for (auto start = starts.rbegin(); start != starts.rend(); ++start) {
        const std::size_t piece = std::min(kChainPiece, data.size() - *start);
        std::vector<std::uint8_t> row(4 + piece);
        put_u32le(row.data(), next);
        std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(*start), piece, row.begin() + 4);
        next = rows.put(row);
    }
    return field_header(length, next);
}

}  // namespace jet
