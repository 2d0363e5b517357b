// Random rows that fit a table's columns: values at their types' limits,
// accented Windows-1252 and Thai Windows-874 bytes in text, NULLs where the
// table's indexes allow them, memos from empty to 64 KB, dates, Yes/No and
// Replication IDs. Foreign keys are taken from the referenced rows given
// by add_foreign_key (or NULL); other referencing columns stay NULL.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "jet/table_definition.h"
#include "jet/value.h"

namespace jet_test {

class RowGenerator {
  public:
    RowGenerator(const jet::TableDefinition& table, std::mt19937_64& random)
        : table_(table), random_(random) {
        std::size_t variable_columns = 0;
        for (const jet::RealIndex& index : table.real_indexes) {
            for (const jet::IndexColumn& c : index.columns) {
                if (index.required()) {
                    required_.insert(c.column_number);
                }
            }
        }
        for (const jet::LogicalIndex& logical : table.logical_indexes) {
            const jet::RealIndex& real = table.real_indexes.at(logical.real_index);
            if (logical.kind == jet::IndexKind::ForeignKey && !real.unique()) {
                for (const jet::IndexColumn& c : real.columns) {
                    referencing_.insert(c.column_number);
                }
            }
        }
        for (const jet::Column& column : table.columns) {
            variable_columns += column.fixed() ? 0 : 1;
        }
        // Keeps the longest possible row well inside a page.
        text_budget_ = variable_columns == 0 ? 255 : 1500 / variable_columns;
    }

    // The columns at `positions` (in table.columns) form a foreign key whose
    // values are one of `keys`.
    void add_foreign_key(std::vector<std::size_t> positions,
                         std::vector<std::vector<jet::Value>> keys) {
        for (std::size_t position : positions) {
            referencing_.erase(table_.columns[position].number);
        }
        foreign_keys_.push_back({std::move(positions), std::move(keys)});
    }

    std::vector<std::optional<jet::Value>> next() {
        std::vector<std::optional<jet::Value>> row;
        for (const jet::Column& column : table_.columns) {
            row.push_back(value_for(column));
        }
        for (const ForeignKey& key : foreign_keys_) {
            bool nullable = true;
            for (std::size_t position : key.positions) {
                nullable = nullable && !required_.count(table_.columns[position].number);
            }
            const bool null = key.keys.empty() || (nullable && chance(10));
            const auto& chosen =
                null ? std::vector<jet::Value>() : key.keys[below(key.keys.size())];
            for (std::size_t i = 0; i < key.positions.size(); ++i) {
                row[key.positions[i]] = null ? jet::Value{jet::Null{}} : chosen[i];
            }
        }
        return row;
    }

    // Only Long and Replication ID columns are autonumbers; other columns may
    // carry the same flag bits.
    static bool is_autonumber(const jet::Column& column) {
        return (column.type == jet::ColumnType::Long &&
                (column.flags & jet::Column::kLongAutonumber)) ||
               (column.type == jet::ColumnType::Guid &&
                (column.flags & jet::Column::kGuidAutonumber));
    }

  private:
    struct ForeignKey {
        std::vector<std::size_t> positions;
        std::vector<std::vector<jet::Value>> keys;
    };

    std::uint64_t below(std::uint64_t n) { return random_() % n; }
    bool chance(unsigned percent) { return below(100) < percent; }

    template <typename T>
    T integer_at_limits() {
        switch (below(4)) {
            case 0:
                return std::numeric_limits<T>::min();
            case 1:
                return std::numeric_limits<T>::max();
            default:
                return static_cast<T>(random_());
        }
    }

    // Text bytes: ASCII, accented Windows-1252 letters and Thai Windows-874 bytes.
    std::string text(std::size_t length) {
        static const std::string pool = [] {
            std::string bytes;
            for (int c = 0x20; c < 0x7F; ++c) {
                bytes.push_back(static_cast<char>(c));
            }
            for (int c = 0xC0; c <= 0xFF; ++c) {  // À … ÿ
                bytes.push_back(static_cast<char>(c));
            }
            for (int c = 0xA1; c <= 0xDA; ++c) {  // ก … ฺ in Windows-874
                bytes.push_back(static_cast<char>(c));
            }
            return bytes;
        }();
        std::string s(length, ' ');
        for (char& c : s) {
            c = pool[below(pool.size())];
        }
        return s;
    }

    std::size_t long_value_length() {
        const auto roll = below(100);
        if (roll < 30) {
            return below(33);
        }
        if (roll < 80) {
            return 33 + below(3000);
        }
        if (roll < 97) {
            return 3000 + below(7000);
        }
        return 60000 + below(5537);
    }

    std::optional<jet::Value> value_for(const jet::Column& column) {
        if (is_autonumber(column)) {
            return std::nullopt;
        }
        if (referencing_.count(column.number)) {
            return jet::Value{jet::Null{}};
        }
        if (column.type != jet::ColumnType::Boolean && !required_.count(column.number) &&
            chance(10)) {
            return jet::Value{jet::Null{}};
        }
        switch (column.type) {
            case jet::ColumnType::Boolean:
                return jet::Value{chance(50)};
            case jet::ColumnType::Byte:
                return jet::Value{integer_at_limits<std::uint8_t>()};
            case jet::ColumnType::Integer:
                return jet::Value{integer_at_limits<std::int16_t>()};
            case jet::ColumnType::Long:
                return jet::Value{integer_at_limits<std::int32_t>()};
            case jet::ColumnType::Currency:
                return jet::Value{jet::Currency{integer_at_limits<std::int64_t>()}};
            case jet::ColumnType::Single:
                return jet::Value{static_cast<float>(static_cast<std::int32_t>(random_()) / 64)};
            case jet::ColumnType::Double:
                return jet::Value{static_cast<double>(static_cast<std::int64_t>(random_())) /
                                  1024.0};
            case jet::ColumnType::DateTime: {
                // Years 100 to 9999, to the second.
                const double day = -657434.0 + static_cast<double>(below(657434 + 2958466));
                const double second = static_cast<double>(below(86400));
                return jet::Value{
                    jet::DateTime{day < 0 ? day - second / 86400 : day + second / 86400}};
            }
            case jet::ColumnType::Guid: {
                jet::Guid guid;
                for (auto& b : guid.stored) {
                    b = static_cast<std::uint8_t>(random_());
                }
                return jet::Value{guid};
            }
            case jet::ColumnType::Text:
                return jet::Value{
                    jet::Text{text(1 + below(std::min<std::size_t>(column.size, text_budget_)))}};
            case jet::ColumnType::Binary: {
                jet::Bytes bytes;
                bytes.data.resize(below(std::min<std::size_t>(column.size, text_budget_) + 1));
                for (auto& b : bytes.data) {
                    b = static_cast<std::uint8_t>(random_());
                }
                return jet::Value{bytes};
            }
            case jet::ColumnType::Memo:
                return jet::Value{jet::Text{text(long_value_length())}};
            case jet::ColumnType::Ole: {
                jet::Bytes bytes;
                bytes.data.resize(long_value_length());
                for (auto& b : bytes.data) {
                    b = static_cast<std::uint8_t>(random_());
                }
                return jet::Value{bytes};
            }
        }
        return std::nullopt;
    }

    const jet::TableDefinition& table_;
    std::mt19937_64& random_;
    std::set<std::uint16_t> required_;
    std::set<std::uint16_t> referencing_;
    std::vector<ForeignKey> foreign_keys_;
    std::size_t text_budget_ = 255;
};

}  // namespace jet_test
