// The tables of a new database, as data: the engine's four system tables
// with the columns and indexes Access 97 gives them, and the song table.
#pragma once

#include <vector>

#include "jet/create_table_definition.h"

namespace jet {

// MSysObjects, MSysACEs, MSysQueries, MSysRelationships, in this order: their
// definitions go to pages 2 to 5.
std::vector<NewTable> system_tables();

// Song: ID (AutoNumber, primary key), songID, songName, artid, MidPath,
// CurPath, Lyrpath, with indexes on songID, songName and artid.
NewTable song_table();

}  // namespace jet
