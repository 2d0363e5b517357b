// The update command: walks the folder triples of List1, List2 and List3 by
// position and has the song table writer store each triple's songs. The
// catalogue is held open for writing from before the first row to the end of
// the run, so that no other program writes to it between two folders; each
// folder's Close saves its rows to the disk, and a run that fails still
// saves the rows stored before the failure. At the start of the run one pass
// over the catalogue's MidPath column tells which songs it holds already.
#include <ctime>
#include <iostream>
#include <memory>
#include <string>
#include <utility>

#include "songdb/update.h"
#include "songdb/update_log.h"
#include "window/native_text.h"
#include "window/program_ending.h"

namespace songdb {
namespace {

using window::ListIndex;

constexpr const char* kCatalogueName = "LISTSONG.mdb";
constexpr const char* kSongQuery = "SELECT * FROM Song";
constexpr const char* kMidPathColumn = "MidPath";

std::string describe_failure(const std::string& cause, const std::string& folder,
                             const std::string& file) {
    std::string where;
    if (!folder.empty()) {
        where = "folder " + folder;
        if (!file.empty()) {
            where += ", file " + file;
        }
        where += ": ";
    }
    return where + cause;
}

// The item at position i of a folder list's partner, refused before the triple
// is begun when the list is shorter than List1.
const std::string& partner_folder(const window::ListBox& list, const char* heading, ListIndex i,
                                  const std::string& midi_folder) {
    if (i >= list.ListCount()) {
        throw UpdateFailure(std::string("\"") + heading + "\" holds " +
                                std::to_string(list.ListCount()) + " folders, none at position " +
                                std::to_string(i + 1) + " to go with this MIDI folder",
                            midi_folder, "");
    }
    return list.List(i);
}

// Sets a flag for the length of a scope and clears it on every way out.
class RunningScope {
  public:
    explicit RunningScope(bool& running) : running_(running) { running_ = true; }
    ~RunningScope() { running_ = false; }
    RunningScope(const RunningScope&) = delete;
    RunningScope& operator=(const RunningScope&) = delete;

  private:
    bool& running_;
};

// Reads the MIDI path of every song the catalogue holds.
void read_catalogue_songs(const UpdateTarget& target, StoredSongPaths& songs) {
    std::unique_ptr<dao::Database> db = target.engine().OpenDatabase(target.database);
    db->OpenRecordset(kSongQuery)
        ->ForEachValue(kMidPathColumn, [&songs](const std::optional<std::string>& path) {
            if (path) {
                songs.add_stored(*path);
            }
        });
    db->Close();
    songs.finish_reading();
}

// Stores the songs of every triple of List1, List2 and List3 in turn.
void store_triples(window::ReNameFold& window, const UpdateTarget& target, UpdateRun& run) {
    const ListIndex triples = window.List1.ListCount();
    for (ListIndex i = 0; i < triples; ++i) {
        const std::string midi_folder = window.List1.List(i);
        const std::string cur_folder = partner_folder(window.List2, "Cur path", i, midi_folder);
        const std::string lyr_folder = partner_folder(window.List3, "Lyr path", i, midi_folder);
        window.MidFolder = midi_folder;
        window.CurFolder = cur_folder;
        window.LyrFolder = lyr_folder;
        try {
            window.MidFile.set_Path(midi_folder);
            window.CurFile.set_Path(cur_folder);
            window.LyrFile.set_Path(lyr_folder);
        } catch (const std::exception& e) {
            throw UpdateFailure(e.what(), midi_folder, "");
        }
        AddFolderSongs(window, target, run);
        if (target.folder_done) {
            target.folder_done(midi_folder);
        }
    }
}

}  // namespace

UpdateFailure::UpdateFailure(const std::string& cause, std::string folder, std::string file)
    : std::runtime_error(describe_failure(cause, folder, file)),
      cause_(cause),
      folder_(std::move(folder)),
      file_(std::move(file)) {}

std::filesystem::path program_database(const window::ReNameFold& window) {
    return window::path_of_text(window.app.Path()) / kCatalogueName;
}

UpdateTarget program_target(const window::ReNameFold& window) {
    UpdateTarget target;
    target.database = program_database(window);
    return target;
}

bool update_songs(window::ReNameFold& window, const UpdateTarget& target, UpdateRun& run) {
    if (window.List1.ListCount() < 1 || window.List2.ListCount() < 1 ||
        window.List3.ListCount() < 1) {
        return false;
    }
    std::unique_ptr<dao::Hold> hold;
    try {
        hold = target.engine().HoldDatabase(target.database);
    } catch (const std::exception& e) {
        throw UpdateFailure(e.what(), window.List1.List(0), "");
    }
    try {
        try {
            read_catalogue_songs(target, run.catalogue_songs);
        } catch (const std::exception& e) {
            throw UpdateFailure(e.what(), window.List1.List(0), "");
        }
        store_triples(window, target, run);
    } catch (const UpdateFailure& failure) {
        try {
            hold->Close();
        } catch (const std::exception& closing) {
            throw UpdateFailure(
                failure.cause() + "; saving the catalogue afterwards failed too: " + closing.what(),
                failure.folder(), failure.file());
        }
        throw;
    } catch (...) {
        hold->Close();
        throw;
    }
    try {
        hold->Close();
    } catch (const std::exception& e) {
        throw UpdateFailure(e.what(), "", "");
    }
    return true;
}

bool update_and_log(window::ReNameFold& window, const UpdateTarget& target, UpdateRun& run) {
    UpdateLogLine line;
    line.time = std::time(nullptr);
    line.midi_folder = window.Dir1.Path();
    line.cur_folder = window.Dir2.Path();
    line.lyr_folder = window.Dir3.Path();
    const auto log = [&] {
        line.stored = run.stored;
        line.skipped = run.skipped;
        try {
            append_update_log(update_log_beside(target.database), line);
        } catch (const std::exception& e) {
            std::cerr << e.what() << '\n';
        }
    };
    bool updated = false;
    try {
        updated = update_songs(window, target, run);
    } catch (const std::exception& e) {
        line.failure = e.what();
        log();
        throw;
    } catch (const window::ProgramEnding&) {
        line.failure = "the program was ended during the update";
        log();
        throw;
    }
    if (updated) {
        log();
    }
    return updated;
}

void CmdChDir_Click(window::ReNameFold& window, const UpdateTarget& target) {
    UpdateRun run;
    bool updated = false;
    try {
        updated = update_and_log(window, target, run);
    } catch (const std::exception& e) {
        std::cerr << "The update failed: " << e.what() << '\n';
        window.message_box("   Error ", window::kOkOnly, std::nullopt, e.what());
        return;
    }
    if (updated) {
        window.message_box("  Update Ok ", window::kOkOnly, " SongName chang!! ");
    }
}

void bind_update(window::ReNameFold& window, UpdateTarget target) {
    auto running = std::make_shared<bool>(false);
    window.on_click(window.CmdChDir, [&window, target = std::move(target), running] {
        if (*running) {
            return;
        }
        RunningScope scope(*running);
        CmdChDir_Click(window, target);
    });
}

void bind_update(window::ReNameFold& window) {
    bind_update(window, program_target(window));
}

}  // namespace songdb
