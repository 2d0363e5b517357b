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

}  // namespace jet
