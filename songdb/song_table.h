// The Song table of a new song catalogue, as the engine is told to create it.
#pragma once

#include "jet/new_table.h"

namespace songdb {

// Song: ID (AutoNumber, primary key), songID, songName, artid, MidPath,
// CurPath, Lyrpath, with indexes on songID, songName and artid.
jet::NewTable song_table();

}  // namespace songdb
