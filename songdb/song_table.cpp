#include "songdb/song_table.h"

namespace songdb {
namespace {

// Column flags as Access gives them to the columns of a table it makes:
// Column::kUpdatable on every column, Column::kFixed on the fixed-size ones too.
constexpr std::uint8_t kFixedColumn = jet::Column::kUpdatable | jet::Column::kFixed;

}  // namespace

jet::NewTable song_table() {
    using T = jet::ColumnType;
    using jet::IndexKind;
    using jet::RealIndex;
    jet::NewTable table;
    table.name = "Song";
    table.columns = {{"ID", T::Long, 0, kFixedColumn | jet::Column::kLongAutonumber},
                     {"songID", T::Text, 10, jet::Column::kUpdatable},
                     {"songName", T::Text, 100, jet::Column::kUpdatable},
                     {"artid", T::Text, 100, jet::Column::kUpdatable},
                     {"MidPath", T::Text, 255, jet::Column::kUpdatable},
                     {"CurPath", T::Text, 255, jet::Column::kUpdatable},
                     {"Lyrpath", T::Text, 255, jet::Column::kUpdatable}};
    table.indexes = {
        {"PrimaryKey", {0}, RealIndex::kUnique | RealIndex::kRequired, IndexKind::PrimaryKey},
        {"songID", {1}, 0, IndexKind::Other},
        {"songName", {2}, 0, IndexKind::Other},
        {"artid", {3}, 0, IndexKind::Other}};
    return table;
}

}  // namespace songdb
