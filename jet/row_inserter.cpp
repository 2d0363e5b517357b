// An insert updates three kinds of count in the table definition's first
// page (table_definition_format.h): the rows, the last autonumber and each
// real index's distinct keys.
#include "jet/row_inserter.h"

#include <algorithm>
#include <random>

#include "jet/ascii.h"
#include "jet/coding.h"
#include "jet/data_page_writer.h"
#include "jet/database_pager.h"
#include "jet/error.h"
#include "jet/general_sort.h"
#include "jet/index_reader.h"
#include "jet/index_writer.h"
#include "jet/long_value_writer.h"
#include "jet/row_encoder.h"
#include "jet/table_definition_format.h"
#include "jet/usage_map.h"
#include "jet/usage_map_writer.h"
#include "jet/write_error.h"

namespace jet {
namespace {

constexpr std::size_t kLongValueHeader = 12;

Guid random_guid() {
    static std::mt19937_64 generator{std::random_device{}()};
    Guid guid;
    for (std::size_t i = 0; i < guid.stored.size(); i += 8) {
        put_u64le(guid.stored.data() + i, generator());
    }
    guid.stored[7] = static_cast<std::uint8_t>((guid.stored[7] & 0x0F) | 0x40);  // version 4
    guid.stored[8] = static_cast<std::uint8_t>((guid.stored[8] & 0x3F) | 0x80);
    return guid;
}

bool is_long_value(const Column& column) {
    return column.type == ColumnType::Memo || column.type == ColumnType::Ole;
}

// The bytes of a Text, Memo, Binary or OLE value; the value has that type.
std::span<const std::uint8_t> data_of(const Value& value) {
    if (const Text* text = std::get_if<Text>(&value)) {
        return {reinterpret_cast<const std::uint8_t*>(text->bytes.data()), text->bytes.size()};
    }
    const Bytes& bytes = std::get<Bytes>(value);
    return bytes.data;
}

}  // namespace

struct RowInserter::PreparedRow {
    std::vector<Value> values;  // one per column, defaults and autonumbers applied
    std::optional<std::uint32_t> autonumber;
    std::vector<bool> inline_long_value;  // per column: the long value stays in the row
    struct IndexKey {
        const RealIndex* index;
        std::vector<std::uint8_t> key;
    };
    std::vector<IndexKey> keys;  // the indexes that get an entry
    // The row's bytes, when no long value goes out of the row: they are then
    // the bytes written.
    std::optional<std::vector<std::uint8_t>> encoded;
};

RowInserter::RowInserter(Database& db, std::string_view table_name)
    : db_(db), table_(db.table(table_name)), allocator_(pager_of(db)) {
    if (pager_of(db).mode() != Pager::Mode::ReadWrite) {
        throw Error("table '" + table_.name + "': the database is open for reading only");
    }
    const TableProperties properties = read_table_properties(db, table_);
    refuse_validation_rules(table_, properties);
    for (const Column& column : table_.columns) {
        column_properties_.push_back(properties.column(column.name));
    }
    relationships_ = enforced_relationships_of(db, table_.name);
    has_long_value_columns_ =
        std::any_of(table_.columns.begin(), table_.columns.end(), is_long_value);
    for (const RealIndex& index : table_.real_indexes) {
        for (const IndexColumn& indexed : index.columns) {
            const Column* column = table_.column_by_number(indexed.column_number);
            if (column != nullptr && column->type == ColumnType::Text &&
                !sort_order_supported(column->sort_order)) {
                throw WriteRefused(WriteRefused::Kind::UnsupportedSortOrder,
                                   describe_index(table_, index) + " sorts text by the " +
                                       sort_order_name(column->sort_order) +
                                       " sort order, whose keys the engine cannot build; the "
                                       "table cannot be written");
            }
        }
        index_writers_.push_back(
            std::make_unique<IndexWriter>(pager_of(db), allocator_, table_, index));
    }
}

RowInserter::~RowInserter() = default;

std::size_t RowInserter::column_position(std::string_view name) const {
    for (std::size_t i = 0; i < table_.columns.size(); ++i) {
        if (ascii_iequal(table_.columns[i].name, name)) {
            return i;
        }
    }
    throw WriteRefused(WriteRefused::Kind::MissingColumn,
                       "table '" + table_.name + "' has no column '" + std::string(name) + "'");
}

RowInserter::PreparedRow RowInserter::prepare(std::vector<std::optional<Value>>& values) {
    if (values.size() > table_.columns.size()) {
        throw WriteRefused(WriteRefused::Kind::MissingColumn,
                           "table '" + table_.name + "' has " +
                               std::to_string(table_.columns.size()) + " columns, not " +
                               std::to_string(values.size()));
    }
    const Page& definition = *pager_of(db_).read(table_.page);
    PreparedRow row;
    row.values.resize(table_.columns.size());
    if (has_long_value_columns_) {
        row.inline_long_value.resize(table_.columns.size(), false);
    }
    for (std::size_t i = 0; i < table_.columns.size(); ++i) {
        const Column& column = table_.columns[i];
        std::optional<Value> given = i < values.size() ? std::move(values[i]) : std::nullopt;
        Value value = given
                          ? std::move(*given)
                          : value_for_unset_column(column, column_properties_[i], db_.code_page());
        if (column.long_autonumber()) {
            const std::uint32_t last =
                get_u32le(definition.data() + table_definition_format::kAutonumberOffset);
            if (last >= 0x7FFFFFFFu) {
                throw WriteRefused(WriteRefused::Kind::Overflow,
                                   "table '" + table_.name + "': the autonumber column '" +
                                       column.name + "' has handed out its last number");
            }
            row.autonumber = last + 1;
            value = static_cast<std::int32_t>(last + 1);
        } else if (column.guid_autonumber() && is_null(value)) {
            value = random_guid();
        } else if (column.type == ColumnType::Boolean && is_null(value)) {
            value = false;
        }
        if (!is_null(value) && !value_fits_type(value, column.type)) {
            throw WriteRefused(
                WriteRefused::Kind::Conversion,
                "the value given for column '" + column.name + "' is not of the column's type");
        }
        if (!is_null(value) &&
            (column.type == ColumnType::Text || column.type == ColumnType::Binary)) {
            const std::size_t length = data_of(value).size();
            if (length > column.size) {
                throw WriteRefused(WriteRefused::Kind::FieldTooSmall,
                                   "field too small: column '" + column.name + "' holds " +
                                       std::to_string(column.size) + " bytes, the value has " +
                                       std::to_string(length));
            }
        }
        if (!is_null(value) && is_long_value(column)) {
            const std::size_t length = data_of(value).size();
            if (length > kMaxLongValueLength) {
                throw WriteRefused(WriteRefused::Kind::FieldTooSmall,
                                   "field too small: column '" + column.name + "' holds " +
                                       std::to_string(kMaxLongValueLength) +
                                       " bytes, the value has " + std::to_string(length));
            }
            row.inline_long_value[i] = length <= kMaxInlineLongValue;
        }
        check_column_value(column, column_properties_[i], value);
        row.values[i] = std::move(value);
    }

    // The row's length is known before anything is written: a long value out
    // of the row leaves only its header there.
    std::vector<std::optional<std::vector<std::uint8_t>>> fields(
        has_long_value_columns_ ? table_.columns.size() : 0);
    bool out_of_row = false;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (is_long_value(table_.columns[i]) && !is_null(row.values[i])) {
            fields[i] = row.inline_long_value[i] ? inline_long_value_field(data_of(row.values[i]))
                                                 : std::vector<std::uint8_t>(kLongValueHeader, 0);
            out_of_row = out_of_row || !row.inline_long_value[i];
        }
    }
    std::vector<std::uint8_t> encoded = encode_row(table_, row.values, fields);
    if (!out_of_row) {
        row.encoded = std::move(encoded);
    }

    row.keys.reserve(table_.real_indexes.size());
    for (const RealIndex& index : table_.real_indexes) {
        if (index_skips_row(table_, index, row.values)) {
            continue;
        }
        row.keys.push_back({&index, row_index_key(table_, index, row.values)});
    }
    return row;
}

void RowInserter::check_constraints(const PreparedRow& row) {
    refuse_broken_relationships(db_, table_, relationships_, row.values);
    for (const PreparedRow::IndexKey& entry : row.keys) {
        const RealIndex& index = *entry.index;
        bool any_null = false;
        bool all_null = true;
        for (const IndexColumn& indexed : index.columns) {
            for (std::size_t i = 0; i < table_.columns.size(); ++i) {
                if (table_.columns[i].number == indexed.column_number) {
                    const bool null = is_null(row.values[i]);
                    any_null = any_null || null;
                    all_null = all_null && null;
                    if (null && index.required()) {
                        throw WriteRefused(WriteRefused::Kind::RequiredMissing,
                                           describe_index(table_, index) +
                                               " requires a value in column '" +
                                               table_.columns[i].name + "'");
                    }
                }
            }
        }
        if (!index_key_fits(entry.key)) {
            throw Error(describe_index(table_, index) + ": the key of " +
                        std::to_string(entry.key.size()) + " bytes is too long for an index page");
        }
        const auto position = static_cast<std::size_t>(&index - table_.real_indexes.data());
        if (index.unique() && !all_null && index_writers_[position]->holds_key(entry.key)) {
            throw WriteRefused(WriteRefused::Kind::DuplicateKey,
                               "duplicate key: " + describe_index(table_, index) +
                                   " already holds a row with the same value" +
                                   (index.columns.size() > 1 ? "s" : ""));
        }
    }
}

PageNumber RowInserter::page_for_row(std::size_t length) {
    Pager& pager = pager_of(db_);
    if (!current_page_known_) {
        const std::string what = "table '" + table_.name + "'";
        const auto owned = read_usage_map(pager, table_.owned_pages_map, what);
        const auto with_room = read_usage_map(pager, table_.free_pages_map, what);
        current_page_ = 0;
        for (auto page = owned.rbegin(); page != owned.rend(); ++page) {
            if (std::binary_search(with_room.begin(), with_room.end(), *page)) {
                current_page_ = *page;
                break;
            }
        }
        if (current_page_ != 0) {
            check_page_for_rows(*pager.read(current_page_), current_page_, table_.page, what);
        }
        current_page_known_ = true;
    }
    if (current_page_ != 0 && row_fits(*pager.read(current_page_), length)) {
        return current_page_;
    }
    if (current_page_ != 0) {
        remove_page_from_map(pager, allocator_, table_.free_pages_map, current_page_);
    }
    current_page_ = allocator_.allocate(PageType::Data, table_.page);
    add_page_to_map(pager, allocator_, table_.owned_pages_map, current_page_);
    add_page_to_map(pager, allocator_, table_.free_pages_map, current_page_);
    return current_page_;
}

RowPointer RowInserter::write(PreparedRow& row) {
    Pager& pager = pager_of(db_);
    if (!row.encoded) {
        std::vector<std::optional<std::vector<std::uint8_t>>> fields(table_.columns.size());
        for (std::size_t i = 0; i < table_.columns.size(); ++i) {
            const Column& column = table_.columns[i];
            if (!is_long_value(column) || is_null(row.values[i])) {
                continue;
            }
            const auto data = data_of(row.values[i]);
            fields[i] = row.inline_long_value[i]
                            ? inline_long_value_field(data)
                            : write_long_value(pager, allocator_, table_, column, data);
        }
        row.encoded = encode_row(table_, row.values, fields);
    }
    const std::vector<std::uint8_t>& bytes = *row.encoded;
    const PageNumber page = page_for_row(bytes.size());
    const unsigned slot = append_row(pager.modify(page), bytes);
    const RowPointer at{page, static_cast<std::uint8_t>(slot)};

    std::vector<bool> new_key(table_.real_indexes.size(), false);
    for (const PreparedRow::IndexKey& entry : row.keys) {
        const auto position = static_cast<std::size_t>(entry.index - table_.real_indexes.data());
        new_key[entry.index->number] = index_writers_[position]->insert(entry.key, at).new_key;
    }

    // The counts go to the page and to table_ together, so that table()
    // stays true after the insert.
    using namespace table_definition_format;
    Page& definition = pager.modify(table_.page);
    table_.row_count = get_u32le(definition.data() + kRowCountOffset) + 1;
    put_u32le(definition.data() + kRowCountOffset, table_.row_count);
    if (row.autonumber) {
        table_.last_autonumber = *row.autonumber;
        put_u32le(definition.data() + kAutonumberOffset, table_.last_autonumber);
    }
    for (std::size_t i = 0; i < new_key.size(); ++i) {
        if (new_key[i]) {
            std::uint8_t* count = definition.data() + unique_entry_count_offset(i);
            table_.real_indexes[i].unique_entry_count = get_u32le(count) + 1;
            put_u32le(count, table_.real_indexes[i].unique_entry_count);
        }
    }
    return at;
}

RowPointer RowInserter::insert(std::vector<std::optional<Value>> values) {
    for (std::size_t i = 0; i < values.size() && i < table_.columns.size(); ++i) {
        const Column& column = table_.columns[i];
        if ((column.long_autonumber() || column.guid_autonumber()) && values[i] &&
            !is_null(*values[i])) {
            throw WriteRefused(WriteRefused::Kind::AutoNumber,
                               "table '" + table_.name + "': column '" + column.name +
                                   "' is an AutoNumber column, which the database numbers "
                                   "itself: leave it out of the row");
        }
    }
    PreparedRow row = prepare(values);
    check_constraints(row);
    Pager& pager = pager_of(db_);
    pager.begin_change();
    RowPointer at;
    try {
        at = write(row);
    } catch (...) {
        pager.discard();
        current_page_known_ = false;
        throw;
    }
    pager.commit();
    return at;
}

}  // namespace jet
