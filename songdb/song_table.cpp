#include "songdb/song_table.h"

namespace songdb {
namespace {

// Column flags as Access gives them to the columns of a table it makes: 0x02
// on every column, Column::kFixed (0x01) on the fixed-size ones.
constexpr std::uint8_t kVariableColumn = 0x02;
constexpr std::uint8_t kFixedColumn = kVariableColumn | jet::Column::kFixed;

}  // namespace

jet::NewTable song_table() {
    using T = jet::ColumnType;
    using jet::IndexKind;
    using jet::RealIndex;
    jet::NewTable table;
    table.name = "Song";
    table.columns = {{"ID", T::Long, 0, kFixedColumn | jet::Column::kLongAutonumber},
                     {"songID", T::Text, 10, kVariableColumn},
                     {"songName", T::Text, 100, kVariableColumn},
                     {"artid", T::Text, 100, kVariableColumn},
                     {"MidPath", T::Text, 255, kVariableColumn},
                     {"CurPath", T::Text, 255, kVariableColumn},
                     {"Lyrpath", T::Text, 255, kVariableColumn}};
    table.indexes = {
        {"PrimaryKey", {0}, RealIndex::kUnique | RealIndex::kRequired, IndexKind::PrimaryKey},
        {"songID", {1}, 0, IndexKind::Other},
        {"songName", {2}, 0, IndexKind::Other},
        {"artid", {3}, 0, IndexKind::Other}};
    return table;
}

}  // namespace songdb
