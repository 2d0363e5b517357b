// The song database update: the update command and the song table writer, as
// functions of the window object.
//
// They are free functions taking the window rather than members of ReNameFold,
// because they need the database facade: a member would make window/ name the
// types of songdb/, and window/ stays below songdb/. The window and `listsong
// add` both run them, so the two share one code path.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>

#include "songdb/dao.h"
#include "songdb/path_map.h"
#include "songdb/stored_song_paths.h"
#include "window/re_name_fold.h"

namespace songdb {

// One song of a run, as its progress reports it.
struct StoredSong {
    std::string mid_path;  // UTF-8, as stored
};

// Where an update stores its rows.
struct UpdateTarget {
    // The engine, reached at the first database opening.
    std::function<dao::DBEngine&()> engine = dao::program_engine;
    // The catalogue file.
    std::filesystem::path database;
    // How the paths of songs are stored (path_map.h); empty: as they are.
    PathMap paths;
    // Called after each row is stored; may be empty.
    std::function<void(const StoredSong&)> song_stored;
    // Called for each song skipped because the catalogue holds it; may be empty.
    std::function<void(const StoredSong&)> song_skipped;
    // Called after each triple is stored, with its MIDI folder; may be empty.
    std::function<void(const std::string&)> folder_done;
};

// The catalogue the window updates: LISTSONG.mdb in the program's own folder.
std::filesystem::path program_database(const window::ReNameFold& window);

// The program's target: its own engine and program_database(window).
UpdateTarget program_target(const window::ReNameFold& window);

// A failure of an update run, with where it came: the folder of the triple
// and the file being stored when there was one.
class UpdateFailure : public std::runtime_error {
  public:
    UpdateFailure(const std::string& cause, std::string folder, std::string file);

    const std::string& cause() const { return cause_; }
    const std::string& folder() const { return folder_; }  // empty: before any folder
    const std::string& file() const { return file_; }      // empty: no file concerned

  private:
    std::string cause_;
    std::string folder_;
    std::string file_;
};

// What a run has done so far: kept up to date as it goes, so that it is
// known also when the run fails.
struct UpdateRun {
    StoredSongPaths catalogue_songs;  // the songs stored before and during the run
    std::int64_t stored = 0;
    std::int64_t skipped = 0;
};

// Appends one row per MIDI file of the current triple (window.MidFolder,
// CurFolder, LyrFolder and the file lists pointed at them) to the table Song,
// skipping the songs `run` shows stored already. The three file lists must
// hold as many files each, none at all included: otherwise nothing of the
// triple is stored and the failure names the three counts and folders. Catches nothing: a failure
// leaves at once as UpdateFailure; ProgramEnding passes through when the
// program ends while pending events are processed.
void AddFolderSongs(window::ReNameFold& window, const UpdateTarget& target, UpdateRun& run);

// Walks the triples of List1, List2 and List3 and calls AddFolderSongs for
// each, after one pass over the songs the catalogue holds; returns false when
// a list is empty and nothing was done. Failures leave as UpdateFailure;
// `run` counts the songs stored and skipped either way.
bool update_songs(window::ReNameFold& window, const UpdateTarget& target, UpdateRun& run);

// update_songs, then one line in the update log beside the catalogue
// (update_log.h) when the run did anything: its counts and its result. A
// failure is logged and leaves as it came; a log that cannot be written is
// told on stderr and changes no result.
bool update_and_log(window::ReNameFold& window, const UpdateTarget& target, UpdateRun& run);

// The click of "Update database": update_and_log, then "  Update Ok " titled
// " SongName chang!! ", or at the first failure the cause on stderr and
// "   Error " with the default title, offering the cause as its details.
void CmdChDir_Click(window::ReNameFold& window, const UpdateTarget& target);

// Binds CmdChDir's click to CmdChDir_Click on `target`. A click that arrives
// while a run processes pending events is ignored, so two runs never share
// the database.
void bind_update(window::ReNameFold& window, UpdateTarget target);
// The same on program_target(window).
void bind_update(window::ReNameFold& window);

}  // namespace songdb
