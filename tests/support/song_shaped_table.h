// The user table the engine's own tests create and fill: shaped as a song
// catalogue, the workload the engine is written for (an AutoNumber primary
// key, six Text columns, three Text indexes), but defined here, so that the
// engine's tests depend on nothing of the tool.
#pragma once

#include "jet/new_table.h"
#include "jet/table_definition.h"

namespace jet_test {

// Song: ID (AutoNumber, primary key), songID, songName, artid, MidPath,
// CurPath, Lyrpath, with indexes on songID, songName and artid; every
// column carries Column::kUpdatable, as Access gives its tables' columns.
inline jet::NewTable song_shaped_table() {
    using T = jet::ColumnType;
    constexpr std::uint8_t kFixed = jet::Column::kUpdatable | jet::Column::kFixed;
    jet::NewTable table;
    table.name = "Song";
    table.columns = {{"ID", T::Long, 0, kFixed | jet::Column::kLongAutonumber},
                     {"songID", T::Text, 10, jet::Column::kUpdatable},
                     {"songName", T::Text, 100, jet::Column::kUpdatable},
                     {"artid", T::Text, 100, jet::Column::kUpdatable},
                     {"MidPath", T::Text, 255, jet::Column::kUpdatable},
                     {"CurPath", T::Text, 255, jet::Column::kUpdatable},
                     {"Lyrpath", T::Text, 255, jet::Column::kUpdatable}};
    table.indexes = {{"PrimaryKey",
                      {0},
                      jet::RealIndex::kUnique | jet::RealIndex::kRequired,
                      jet::IndexKind::PrimaryKey},
                     {"songID", {1}, 0, jet::IndexKind::Other},
                     {"songName", {2}, 0, jet::IndexKind::Other},
                     {"artid", {3}, 0, jet::IndexKind::Other}};
    return table;
}

}  // namespace jet_test
