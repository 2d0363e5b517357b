#include "jet/create/system_tables.h"

namespace jet {
namespace {

// Column flags: every column of the engine's own tables carries 0x10 and
// Column::kUpdatable, their two SID-like Binary columns 0x20 too.
constexpr std::uint8_t kSystemColumn = 0x10;
constexpr std::uint8_t kSidColumn = 0x20;
constexpr std::uint8_t kSystemVariable = kSystemColumn | Column::kUpdatable;
constexpr std::uint8_t kSystemFixed = kSystemVariable | Column::kFixed;
constexpr std::uint8_t kSystemSid = kSystemVariable | kSidColumn;

NewTable system_table(const char* name, std::vector<NewColumn> columns,
                      std::vector<NewIndex> indexes) {
    NewTable table;
    table.name = name;
    table.table_type = TableDefinition::kSystemTable;
    table.columns = std::move(columns);
    table.indexes = std::move(indexes);
    table.column_number_twice = false;
    return table;
}

}  // namespace

std::vector<NewTable> system_tables() {
    using T = ColumnType;
    std::vector<NewTable> tables;
    tables.push_back(system_table("MSysObjects",
                                  {{"Id", T::Long, 0, kSystemFixed},
                                   {"ParentId", T::Long, 0, kSystemFixed},
                                   {"Name", T::Text, 255, kSystemVariable},
                                   {"Type", T::Integer, 0, kSystemFixed},
                                   {"DateCreate", T::DateTime, 0, kSystemFixed},
                                   {"DateUpdate", T::DateTime, 0, kSystemFixed},
                                   {"Owner", T::Binary, 255, kSystemSid},
                                   {"Flags", T::Long, 0, kSystemFixed},
                                   {"Database", T::Memo, 0, kSystemVariable},
                                   {"Connect", T::Memo, 0, kSystemVariable},
                                   {"ForeignName", T::Text, 255, kSystemVariable},
                                   {"RmtInfoShort", T::Binary, 255, kSystemVariable},
                                   {"RmtInfoLong", T::Ole, 0, kSystemVariable},
                                   {"Lv", T::Ole, 0, kSystemVariable},
                                   {"LvProp", T::Ole, 0, kSystemVariable},
                                   {"LvModule", T::Ole, 0, kSystemVariable},
                                   {"LvExtra", T::Ole, 0, kSystemVariable}},
                                  {{"ParentIdName", {1, 2}, RealIndex::kUnique, IndexKind::Other},
                                   {"Id", {0}, RealIndex::kUnique, IndexKind::PrimaryKey}}));
    tables.push_back(system_table("MSysACEs",
                                  {{"ObjectId", T::Long, 0, kSystemFixed},
                                   {"SID", T::Binary, 255, kSystemSid},
                                   {"ACM", T::Long, 0, kSystemFixed},
                                   {"FInheritable", T::Boolean, 0, kSystemFixed}},
                                  {{"ObjectId", {0}, RealIndex::kRequired, IndexKind::Other}}));
    tables.push_back(system_table(
        "MSysQueries",
        {{"ObjectId", T::Long, 0, kSystemFixed},
         {"Attribute", T::Byte, 0, kSystemFixed},
         {"Order", T::Binary, 255, kSystemVariable},
         {"Name1", T::Text, 255, kSystemVariable},
         {"Name2", T::Text, 255, kSystemVariable},
         {"Expression", T::Memo, 0, kSystemVariable},
         {"Flag", T::Integer, 0, kSystemFixed}},
        {{"ObjectIdAttribute", {0, 1, 2}, RealIndex::kUnique, IndexKind::PrimaryKey}}));
    tables.push_back(system_table("MSysRelationships",
                                  {{"szRelationship", T::Text, 255, kSystemVariable},
                                   {"grbit", T::Long, 0, kSystemFixed},
                                   {"ccolumn", T::Long, 0, kSystemFixed},
                                   {"icolumn", T::Long, 0, kSystemFixed},
                                   {"szObject", T::Text, 255, kSystemVariable},
                                   {"szColumn", T::Text, 255, kSystemVariable},
                                   {"szReferencedObject", T::Text, 255, kSystemVariable},
                                   {"szReferencedColumn", T::Text, 255, kSystemVariable}},
                                  {{"szRelationship", {0}, RealIndex::kIgnoreNulls},
                                   {"szObject", {4}, RealIndex::kIgnoreNulls},
                                   {"szReferencedObject", {6}, RealIndex::kIgnoreNulls}}));
    return tables;
}

}  // namespace jet
