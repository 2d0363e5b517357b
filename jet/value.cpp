#include "jet/value.h"

namespace jet {

const char* column_type_name(ColumnType type) {
    switch (type) {
        case ColumnType::Boolean:
            return "Yes/No";
        case ColumnType::Byte:
            return "Byte";
        case ColumnType::Integer:
            return "Integer";
        case ColumnType::Long:
            return "Long Integer";
        case ColumnType::Currency:
            return "Currency";
        case ColumnType::Single:
            return "Single";
        case ColumnType::Double:
            return "Double";
        case ColumnType::DateTime:
            return "Date/Time";
        case ColumnType::Binary:
            return "Binary";
        case ColumnType::Text:
            return "Text";
        case ColumnType::Ole:
            return "OLE Object";
        case ColumnType::Memo:
            return "Memo";
        case ColumnType::Guid:
            return "Replication ID";
    }
    return "unknown type";
}

bool value_fits_type(const Value& value, ColumnType type) {
    switch (type) {
        case ColumnType::Boolean:
            return std::holds_alternative<bool>(value);
        case ColumnType::Byte:
            return std::holds_alternative<std::uint8_t>(value);
        case ColumnType::Integer:
            return std::holds_alternative<std::int16_t>(value);
        case ColumnType::Long:
            return std::holds_alternative<std::int32_t>(value);
        case ColumnType::Currency:
            return std::holds_alternative<Currency>(value);
        case ColumnType::Single:
            return std::holds_alternative<float>(value);
        case ColumnType::Double:
            return std::holds_alternative<double>(value);
        case ColumnType::DateTime:
            return std::holds_alternative<DateTime>(value);
        case ColumnType::Text:
        case ColumnType::Memo:
            return std::holds_alternative<Text>(value);
        case ColumnType::Binary:
        case ColumnType::Ole:
            return std::holds_alternative<Bytes>(value);
        case ColumnType::Guid:
            return std::holds_alternative<Guid>(value);
    }
    return false;
}

}  // namespace jet
