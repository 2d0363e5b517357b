// How a database opened for writing protects its saves against an
// interruption: the choice OpenOptions::journal makes. The journal itself is
// journal.h's.
#pragma once

namespace jet {

// How the pager protects its saves.
enum class JournalMode {
    // No journal: a save interrupted half-way leaves a damaged file. For
    // measuring what the journal costs.
    Off,
    // Every save is recorded in the journal before its pages are written:
    // when the program is killed or crashes at any moment, the next open
    // rolls the unfinished save back. Nothing is forced to the disk before
    // the database is closed, so a power loss while writing can still damage
    // the file.
    On,
    // As On, and each save's journal record is forced to the disk before
    // the database is written, the database before the record is retired,
    // and the retired record too: a power loss at any moment loses at most
    // the save in progress. Three disk flushes per save.
    Synchronous,
};

}  // namespace jet
