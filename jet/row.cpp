// Row, in storage order (offsets relative to the row's first byte):
//
//   u8       column count n the row was written with
//   F bytes  fixed area: each fixed column at 1 + its fixed offset
//   D bytes  variable data, in variable-slot order
//   u8       eod: low byte of the offset where the variable data ends
//   V bytes  low bytes of each variable slot's start offset, last slot first
//   J bytes  jump table: for each 256-byte boundary the offsets cross, the
//            index of the first slot (V meaning eod) at or past it; the entry
//            for the first boundary is last; a final 0xFF may be a filler
//   u8       variable slot count V
//   ⌈n/8⌉    null mask, one bit per column number, least significant bit first;
//            1 = not null. A Boolean's value is its bit.
//
// Without variable columns in the table, the row is only the column count,
// the fixed area and the null mask. The jump table has (length - 1) / 256
// entries, one fewer when the last would be the filler.
#include "jet/row.h"

#include <string>

#include "jet/coding.h"
#include "jet/error.h"
#include "jet/long_value.h"

namespace jet {
namespace {

class RowDecoder {
  public:
    RowDecoder(Pager& pager, const TableDefinition& table, std::span<const std::uint8_t> row,
               RowPointer where)
        : pager_(pager), table_(table), row_(row), where_(where) {}

    std::vector<Value> decode() {
        if (row_.empty()) {
            fail("is empty");
        }
        column_count_ = row_[0];
        mask_size_ = (column_count_ + 7) / 8;
        if (row_.size() < 1 + mask_size_) {
            fail("is " + std::to_string(row_.size()) + " bytes, too short for its null mask");
        }
        mask_ = row_.data() + row_.size() - mask_size_;
        data_end_ = row_.size() - mask_size_;
        if (table_.max_variable_columns > 0) {
            read_variable_offsets();
        }
        std::vector<Value> values;
        values.reserve(table_.columns.size());
        for (const Column& column : table_.columns) {
            values.push_back(value_of(column));
        }
        return values;
    }

  private:
    [[noreturn]] void fail(const std::string& what) const {
        throw FormatError("page " + std::to_string(where_.page) + ": row " +
                          std::to_string(where_.row) + " of '" + table_.name + "' " + what);
    }

    bool present(std::uint16_t number) const {
        return number < column_count_ && ((mask_[number / 8] >> (number % 8)) & 1) != 0;
    }

    void read_variable_offsets() {
        const std::size_t length = row_.size();
        const std::size_t last = length - 1;
        if (length < mask_size_ + 2) {
            fail("is too short for its variable slot count");
        }
        const std::size_t count = row_[last - mask_size_];
        std::size_t jumps = (length - 1) / 256;
        if (last < mask_size_ + jumps + 1 + count + 1) {
            fail("has " + std::to_string(count) + " variable slots, more than its " +
                 std::to_string(length) + " bytes can hold");
        }
        const std::size_t first_offset = last - mask_size_ - jumps - 1;
        if ((first_offset - count) / 256 < jumps) {
            --jumps;
        }
        eod_position_ = first_offset - count;
        offsets_.resize(count + 1);
        std::size_t used = 0;
        for (std::size_t i = 0; i <= count; ++i) {
            while (used < jumps && row_[last - mask_size_ - 1 - used] == i) {
                ++used;
            }
            offsets_[i] = row_[first_offset - i] + 256 * used;
        }
        data_end_ = eod_position_;
    }

    std::span<const std::uint8_t> fixed_bytes(const Column& column) const {
        const std::size_t start = 1 + static_cast<std::size_t>(column.fixed_offset);
        const std::size_t size = column.stored_size();
        if (start + size > data_end_) {
            fail("has column '" + column.name + "' at offset " + std::to_string(start) + " (" +
                 std::to_string(size) + " bytes) past its fixed area (" +
                 std::to_string(data_end_) + " bytes)");
        }
        return row_.subspan(start, size);
    }

    std::span<const std::uint8_t> variable_bytes(const Column& column) const {
        const std::size_t slot = column.variable_index;
        const std::size_t start = offsets_[slot];
        const std::size_t end = offsets_[slot + 1];
        if (start < 1 || start > end || end > eod_position_) {
            fail("has column '" + column.name + "' spanning offsets " + std::to_string(start) +
                 " to " + std::to_string(end) + ", outside its variable area (1 to " +
                 std::to_string(eod_position_) + ")");
        }
        return row_.subspan(start, end - start);
    }

    Value value_of(const Column& column) {
        if (column.type == ColumnType::Boolean) {
            return present(column.number);
        }
        if (!present(column.number)) {
            return Null{};
        }
        std::span<const std::uint8_t> bytes;
        if (column.fixed()) {
            bytes = fixed_bytes(column);
        } else {
            if (static_cast<std::size_t>(column.variable_index) + 1 >= offsets_.size()) {
                return Null{};
            }
            bytes = variable_bytes(column);
        }
        return convert(column, bytes);
    }

    Value convert(const Column& column, std::span<const std::uint8_t> bytes) {
        const std::size_t need = column.stored_size();
        const bool sized = column.type != ColumnType::Text && column.type != ColumnType::Binary &&
                           column.type != ColumnType::Memo && column.type != ColumnType::Ole;
        if (sized && bytes.size() != need) {
            fail("has " + std::to_string(bytes.size()) + " bytes for column '" + column.name +
                 "', which needs " + std::to_string(need));
        }
        const std::uint8_t* p = bytes.data();
        switch (column.type) {
            case ColumnType::Byte:
                return p[0];
            case ColumnType::Integer:
                return static_cast<std::int16_t>(get_u16le(p));
            case ColumnType::Long:
                return static_cast<std::int32_t>(get_u32le(p));
            case ColumnType::Currency:
                return Currency{static_cast<std::int64_t>(get_u64le(p))};
            case ColumnType::Single:
                return get_f32le(p);
            case ColumnType::Double:
                return get_f64le(p);
            case ColumnType::DateTime:
                return DateTime{get_f64le(p)};
            case ColumnType::Guid: {
                Guid g;
                std::copy(bytes.begin(), bytes.end(), g.stored.begin());
                return g;
            }
            case ColumnType::Text:
                return Text{std::string(bytes.begin(), bytes.end())};
            case ColumnType::Binary:
                return Bytes{std::vector<std::uint8_t>(bytes.begin(), bytes.end())};
            case ColumnType::Memo: {
                auto data = read_long_value(pager_, bytes, long_value_name(column));
                return Text{std::string(data.begin(), data.end())};
            }
            case ColumnType::Ole:
                return Bytes{read_long_value(pager_, bytes, long_value_name(column))};
            case ColumnType::Boolean:
                break;
        }
        return Null{};
    }

    std::string long_value_name(const Column& column) const {
        return "'" + table_.name + "'.'" + column.name + "' (row " + std::to_string(where_.row) +
               " on page " + std::to_string(where_.page) + ")";
    }

    Pager& pager_;
    const TableDefinition& table_;
    std::span<const std::uint8_t> row_;
    RowPointer where_;
    std::size_t column_count_ = 0;
    std::size_t mask_size_ = 0;
    const std::uint8_t* mask_ = nullptr;
    std::size_t data_end_ = 0;
    std::size_t eod_position_ = 0;
    std::vector<std::size_t> offsets_;
};

}  // namespace

std::vector<Value> decode_row(Pager& pager, const TableDefinition& table,
                              std::span<const std::uint8_t> row, RowPointer where) {
    return RowDecoder(pager, table, row, where).decode();
}

}  // namespace jet
