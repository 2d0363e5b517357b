// Property data: the blob in MSysObjects.LvProp that holds an object's
// properties and those of its columns. All integers little-endian.
//
//   blob        "KKD\0" (4 bytes), then chunks to the end of the blob
//   chunk       u32 length of the whole chunk (these 6 bytes included)
//               u16 kind: 0x0080 property names, 0x0000 the object's own
//                   properties, 0x0001 the properties of one column
//               the chunk's data
//   names       entries to the end of the chunk: u16 length, the name's bytes
//               (code page text). Property records refer to names by their
//               position in this list; the list comes before the records
//               that use it
//   properties  u32 length of this block head (4 + 2 + name length)
//               u16 name length, the name's bytes: the column's name in a
//                   column chunk, empty (or the object's name) otherwise
//               then property records to the end of the chunk:
//                 u16 length of the record (these 8 bytes included)
//                 u8  flags (1 for the properties Access defines for itself)
//                 u8  data type, as a column type code (1 Yes/No, 3 Integer,
//                     4 Long, 10 Text, 12 Memo, 9 Binary ...)
//                 u16 position of the property's name in the names list
//                 u16 length of the value
//                 the value: text in the code page, Yes/No one byte
//                     (non-zero is true), numbers little-endian
//
// Properties read here: Required and AllowZeroLength (Yes/No), DefaultValue,
// ValidationRule and ValidationText (text) on columns, ValidationRule and
// ValidationText on the table. Property names compare case-insensitively.
#include "jet/properties.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "jet/ascii.h"
#include "jet/coding.h"
#include "jet/error.h"
#include "jet/value_parse.h"
#include "jet/write_error.h"

namespace jet {

namespace {

constexpr std::uint16_t kNamesChunk = 0x0080;
constexpr std::uint16_t kObjectChunk = 0x0000;
constexpr std::uint16_t kColumnChunk = 0x0001;
constexpr std::size_t kChunkHead = 6;
constexpr std::size_t kRecordHead = 8;

// Bounds-checked reading of one blob; errors name the blob and the offset.
class BlobReader {
  public:
    BlobReader(std::span<const std::uint8_t> blob, const std::string& what)
        : blob_(blob), what_(what) {}

    void need(std::size_t at, std::size_t length, const char* item) const {
        if (at > blob_.size() || length > blob_.size() - at) {
            fail(at, std::string(item) + " of " + std::to_string(length) +
                         " bytes runs past the end of the " + std::to_string(blob_.size()) +
                         "-byte property data");
        }
    }
    std::uint16_t u16(std::size_t at, const char* item) const {
        need(at, 2, item);
        return get_u16le(blob_.data() + at);
    }
    std::uint32_t u32(std::size_t at, const char* item) const {
        need(at, 4, item);
        return get_u32le(blob_.data() + at);
    }
    std::string_view bytes(std::size_t at, std::size_t length, const char* item) const {
        need(at, length, item);
        return {reinterpret_cast<const char*>(blob_.data() + at), length};
    }
    [[noreturn]] void fail(std::size_t at, const std::string& problem) const {
        throw FormatError("property data of " + what_ + ", offset " + std::to_string(at) + ": " +
                          problem);
    }
    std::size_t size() const { return blob_.size(); }

  private:
    std::span<const std::uint8_t> blob_;
    const std::string& what_;
};

struct Property {
    std::string name;        // UTF-8
    std::string_view value;  // as stored; its data type is not needed for these properties
};

std::vector<std::string> read_names(const BlobReader& blob, std::size_t at, std::size_t end,
                                    const CodePage& code_page) {
    std::vector<std::string> names;
    while (at < end) {
        const std::uint16_t length = blob.u16(at, "property name length");
        if (at + 2 + length > end)
            blob.fail(at, "property name runs past its chunk");
        names.push_back(code_page.to_utf8(blob.bytes(at + 2, length, "property name")));
        at += 2 + length;
    }
    return names;
}

std::string text_value(const Property& property, const CodePage& code_page) {
    return code_page.to_utf8(property.value);
}

bool yes_no_value(const Property& property) {
    return std::any_of(property.value.begin(), property.value.end(), [](char c) { return c != 0; });
}

// Applies the properties this engine enforces to the table or one column.
struct Target {
    std::string* validation_rule;
    std::string* validation_text;
    ColumnProperties* column;  // null for the table's own properties
};

DefaultValue classify_default(std::string expression);

void apply(const Property& property, const Target& target, const CodePage& code_page) {
    if (ascii_iequal(property.name, "ValidationRule")) {
        *target.validation_rule = text_value(property, code_page);
    } else if (ascii_iequal(property.name, "ValidationText")) {
        *target.validation_text = text_value(property, code_page);
    } else if (target.column == nullptr) {
        return;
    } else if (ascii_iequal(property.name, "Required")) {
        target.column->required = yes_no_value(property);
    } else if (ascii_iequal(property.name, "AllowZeroLength")) {
        target.column->allow_zero_length = yes_no_value(property);
    } else if (ascii_iequal(property.name, "DefaultValue")) {
        target.column->default_value = classify_default(text_value(property, code_page));
    }
}

void read_properties(const BlobReader& blob, std::size_t at, std::size_t end,
                     const std::vector<std::string>& names, bool column_chunk,
                     const CodePage& code_page, TableProperties& table) {
    const std::uint32_t head = blob.u32(at, "property block head length");
    const std::uint16_t name_length = blob.u16(at + 4, "property block name length");
    if (head != 6u + name_length || at + head > end)
        blob.fail(at, "property block head of " + std::to_string(head) + " bytes is malformed");
    Target target{&table.validation_rule, &table.validation_text, nullptr};
    if (column_chunk) {
        table.columns.push_back({});
        target = {&table.columns.back().validation_rule, &table.columns.back().validation_text,
                  &table.columns.back()};
        target.column->name =
            code_page.to_utf8(blob.bytes(at + 6, name_length, "property block name"));
    }
    at += head;
    while (at < end) {
        const std::uint16_t length = blob.u16(at, "property record length");
        if (length < kRecordHead || at + length > end)
            blob.fail(at, "property record length " + std::to_string(length) + " is malformed");
        const std::uint16_t name_index = blob.u16(at + 4, "property name position");
        const std::uint16_t value_length = blob.u16(at + 6, "property value length");
        if (name_index >= names.size()) {
            blob.fail(at, "property name position " + std::to_string(name_index) + " is past the " +
                              std::to_string(names.size()) + " names");
        }
        if (kRecordHead + value_length > length)
            blob.fail(at, "property value runs past its record");
        const Property property{names[name_index],
                                blob.bytes(at + kRecordHead, value_length, "property value")};
        apply(property, target, code_page);
        at += length;
    }
}

// --- DefaultValue literals -------------------------------------------------

bool blank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool is_number(std::string_view text) {
    std::size_t pos = 0;
    const auto digits = [&] {
        const std::size_t start = pos;
        while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])))
            ++pos;
        return pos - start;
    };
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        ++pos;
    std::size_t mantissa = digits();
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        mantissa += digits();
    }
    if (mantissa == 0)
        return false;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
            ++pos;
        if (digits() == 0)
            return false;
    }
    return pos == text.size();
}

// A quoted string with the quote doubled inside; nullopt when `text` is not one.
std::optional<std::string> unquote(std::string_view text) {
    if (text.size() < 2 || (text.front() != '"' && text.front() != '\'') ||
        text.back() != text.front()) {
        return std::nullopt;
    }
    const char quote = text.front();
    std::string out;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        if (text[i] == quote) {
            if (i + 2 >= text.size() || text[i + 1] != quote)
                return std::nullopt;
            ++i;
        }
        out += text[i];
    }
    return out;
}

// Reads up to three numbers separated by `separator`; nullopt on anything else.
std::optional<std::vector<int>> number_fields(std::string_view text, char separator) {
    std::vector<int> fields;
    std::size_t pos = 0;
    while (true) {
        const std::size_t start = pos;
        int value = 0;
        while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])) &&
               pos - start < 4) {
            value = value * 10 + (text[pos++] - '0');
        }
        if (pos == start)
            return std::nullopt;
        fields.push_back(value);
        if (pos == text.size())
            break;
        if (text[pos] != separator || fields.size() == 3)
            return std::nullopt;
        ++pos;
    }
    return fields;
}

// A date literal's inside, "m/d/yyyy", "yyyy-mm-dd", either followed by a
// time "h:mm[:ss]" with an optional AM/PM, or the time alone; as ISO text.
std::optional<std::string> iso_date(std::string_view text) {
    std::vector<std::string_view> words;
    for (std::size_t pos = 0; pos < text.size();) {
        while (pos < text.size() && blank(text[pos]))
            ++pos;
        const std::size_t start = pos;
        while (pos < text.size() && !blank(text[pos]))
            ++pos;
        if (pos > start)
            words.push_back(text.substr(start, pos - start));
    }
    int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
    std::size_t w = 0;
    if (w < words.size() && words[w].find(':') == std::string_view::npos) {
        const bool us = words[w].find('/') != std::string_view::npos;
        const auto fields = number_fields(words[w], us ? '/' : '-');
        if (!fields || fields->size() != 3)
            return std::nullopt;
        year = us ? (*fields)[2] : (*fields)[0];
        month = us ? (*fields)[0] : (*fields)[1];
        day = us ? (*fields)[1] : (*fields)[2];
        ++w;
    }
    if (w < words.size()) {
        const auto fields = number_fields(words[w], ':');
        if (!fields || fields->size() < 2)
            return std::nullopt;
        hour = (*fields)[0];
        minute = (*fields)[1];
        second = fields->size() == 3 ? (*fields)[2] : 0;
        ++w;
        if (w < words.size()) {
            const bool pm = ascii_iequal(words[w], "PM");
            if ((!pm && !ascii_iequal(words[w], "AM")) || hour < 1 || hour > 12)
                return std::nullopt;
            hour = hour % 12 + (pm ? 12 : 0);
            ++w;
        }
    }
    if (w != words.size() || w == 0)
        return std::nullopt;
    char iso[32];
    std::snprintf(iso, sizeof iso, "%04d-%02d-%02dT%02d:%02d:%02d", year, month, day, hour, minute,
                  second);
    return std::string(iso);
}

DefaultValue classify_default(std::string expression) {
    DefaultValue result;
    result.expression = std::move(expression);
    std::string_view text = trim(result.expression);
    if (!text.empty() && text.front() == '=')
        text = trim(text.substr(1));
    const auto literal = [&](DefaultValue::Kind kind, std::string value) {
        result.kind = kind;
        result.literal = std::move(value);
        return result;
    };
    if (is_number(text))
        return literal(DefaultValue::Kind::Number, std::string(text));
    if (auto unquoted = unquote(text))
        return literal(DefaultValue::Kind::String, std::move(*unquoted));
    for (const char* yes : {"True", "Yes", "On"}) {
        if (ascii_iequal(text, yes))
            return literal(DefaultValue::Kind::Boolean, "True");
    }
    for (const char* no : {"False", "No", "Off"}) {
        if (ascii_iequal(text, no))
            return literal(DefaultValue::Kind::Boolean, "False");
    }
    if (ascii_iequal(text, "Null"))
        return literal(DefaultValue::Kind::Null, "");
    if (text.size() >= 2 && text.front() == '#' && text.back() == '#') {
        if (auto iso = iso_date(text.substr(1, text.size() - 2)))
            return literal(DefaultValue::Kind::Date, std::move(*iso));
    }
    return result;
}

}  // namespace

ColumnProperties TableProperties::column(std::string_view name) const {
    for (const ColumnProperties& c : columns) {
        if (ascii_iequal(c.name, name))
            return c;
    }
    ColumnProperties defaults;
    defaults.name = std::string(name);
    return defaults;
}

TableProperties parse_table_properties(std::span<const std::uint8_t> blob,
                                       const CodePage& code_page, const std::string& what) {
    const BlobReader reader(blob, what);
    if (reader.bytes(0, 4, "signature") != std::string_view("KKD\0", 4))
        reader.fail(0, "the data does not start with the Access 97 signature KKD");
    TableProperties table;
    std::vector<std::string> names;
    std::size_t at = 4;
    while (at < reader.size()) {
        const std::uint32_t length = reader.u32(at, "chunk length");
        const std::uint16_t kind = reader.u16(at + 4, "chunk kind");
        if (length < kChunkHead || length > reader.size() - at)
            reader.fail(at, "chunk length " + std::to_string(length) + " is malformed");
        const std::size_t end = at + length;
        switch (kind) {
            case kNamesChunk:
                names = read_names(reader, at + kChunkHead, end, code_page);
                break;
            case kObjectChunk:
            case kColumnChunk:
                read_properties(reader, at + kChunkHead, end, names, kind == kColumnChunk,
                                code_page, table);
                break;
            default:
                reader.fail(at, "unknown chunk kind " + std::to_string(kind));
        }
        at = end;
    }
    return table;
}

TableProperties read_table_properties(Database& db, const TableDefinition& table) {
    const TableDefinition& catalogue = db.table("MSysObjects");
    const Column* id = catalogue.column_by_name("Id");
    const Column* data = catalogue.column_by_name("LvProp");
    if (id == nullptr || data == nullptr)
        throw FormatError("the catalogue MSysObjects has no Id or LvProp column");
    const std::size_t id_at = id - catalogue.columns.data();
    const std::size_t data_at = data - catalogue.columns.data();
    std::optional<Bytes> blob;
    db.for_each_row(catalogue, [&](RowPointer, const std::vector<Value>& row) {
        const auto* row_id = std::get_if<std::int32_t>(&row[id_at]);
        if (row_id != nullptr && static_cast<PageNumber>(*row_id) == table.page) {
            if (const auto* bytes = std::get_if<Bytes>(&row[data_at]))
                blob = *bytes;
        }
    });
    if (!blob || blob->data.empty())
        return {};
    return parse_table_properties(blob->data, db.code_page(), "table '" + table.name + "'");
}

void refuse_validation_rules(const TableDefinition& table, const TableProperties& properties) {
    const auto refuse = [&](const std::string& where, const std::string& rule) {
        throw WriteRefused(WriteRefused::Kind::ValidationRule,
                           where + " has the validation rule " + rule +
                               ", which this engine cannot evaluate; rows are not written to "
                               "table '" +
                               table.name + "'");
    };
    if (!properties.validation_rule.empty())
        refuse("table '" + table.name + "'", properties.validation_rule);
    for (const Column& column : table.columns) {
        const ColumnProperties c = properties.column(column.name);
        if (!c.validation_rule.empty())
            refuse("column '" + column.name + "'", c.validation_rule);
    }
}

Value value_for_unset_column(const Column& column, const ColumnProperties& properties,
                             const CodePage& code_page) {
    const auto& default_value = properties.default_value;
    if (!default_value || !default_value->is_literal() ||
        default_value->kind == DefaultValue::Kind::Null) {
        return Null{};
    }
    // True is -1 and False 0 wherever a Yes/No literal meets a column of another type.
    if (default_value->kind == DefaultValue::Kind::Boolean && column.type != ColumnType::Boolean)
        return value_from_text(default_value->literal == "True" ? "-1" : "0", column, code_page);
    return value_from_text(default_value->literal, column, code_page);
}

void check_column_value(const Column& column, const ColumnProperties& properties,
                        const Value& value) {
    if (properties.required && is_null(value)) {
        throw WriteRefused(WriteRefused::Kind::RequiredMissing,
                           "column '" + column.name + "' is required and has no value");
    }
    const auto* text = std::get_if<Text>(&value);
    if (text != nullptr && text->bytes.empty() && !properties.allow_zero_length) {
        throw WriteRefused(WriteRefused::Kind::ZeroLength,
                           "column '" + column.name +
                               "' cannot be a zero-length string (its AllowZeroLength is off)");
    }
}

}  // namespace jet
