// The update command: walks the folder triples of List1, List2 and List3 by
// position and has the song table writer store each triple's songs. The
// catalogue is held open for writing from before the first row to the end of
// the run, so that no other program writes to it between two folders; each
// folder's Close saves its rows to the disk, and a run that fails still
// saves the rows stored before the failure. At the start of the run one pass
// over the catalogue's MidPath column tells which songs it holds already.
#include <array>
#include <ctime>
#include <exception>
#include <functional>
#include <future>
#include <iostream>
#include <memory>
#include <string>
#include <utility>
#include <variant>

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

// The folders of triple i, refused as partner_folder refuses them.
struct TripleFolders {
    std::string midi;
    std::string cur;
    std::string lyr;

    bool operator==(const TripleFolders&) const = default;
};

TripleFolders triple_folders(const window::ReNameFold& window, ListIndex i) {
    const std::string& midi = window.List1.List(i);
    return {midi, partner_folder(window.List2, "Cur path", i, midi),
            partner_folder(window.List3, "Lyr path", i, midi)};
}

// What the three file lists are to show for a triple: each listing, or what
// reading its folder threw.
struct TripleListing {
    TripleFolders folders;
    std::array<std::variant<window::FileListing, std::exception_ptr>, 3> lists;
};

TripleListing read_triple(const window::ReNameFold& window, const TripleFolders& folders) {
    TripleListing listing{folders, {}};
    const std::array<std::pair<const window::FileList*, const std::string*>, 3> lists = {
        {{&window.MidFile, &folders.midi},
         {&window.CurFile, &folders.cur},
         {&window.LyrFile, &folders.lyr}}};
    for (std::size_t k = 0; k < lists.size(); ++k) {
        try {
            listing.lists[k] = lists[k].first->read(*lists[k].second);
        } catch (...) {
            listing.lists[k] = std::current_exception();
        }
    }
    return listing;
}

// Shows the triple's listings in the file lists in the order set_Path would
// read them, and throws what set_Path would have thrown, at the same list.
void show_triple(window::ReNameFold& window, TripleListing listing) {
    const std::array<window::FileList*, 3> lists = {&window.MidFile, &window.CurFile,
                                                    &window.LyrFile};
    for (std::size_t k = 0; k < lists.size(); ++k) {
        if (auto* error = std::get_if<std::exception_ptr>(&listing.lists[k])) {
            std::rethrow_exception(*error);
        }
        lists[k]->show(std::get<window::FileListing>(std::move(listing.lists[k])));
    }
}

// Stores the songs of every triple of List1, List2 and List3 in turn. While
// one triple's songs are stored, the next triple's folders are read on a
// thread of their own: listing three folders of a thousand files costs about
// a tenth of storing their songs. A triple whose folders changed in the
// lists meanwhile is read again when its turn comes.
void store_triples(window::ReNameFold& window, const UpdateTarget& target, UpdateRun& run) {
    const ListIndex triples = window.List1.ListCount();
    std::future<TripleListing> next;
    for (ListIndex i = 0; i < triples; ++i) {
        const TripleFolders folders = triple_folders(window, i);
        window.MidFolder = folders.midi;
        window.CurFolder = folders.cur;
        window.LyrFolder = folders.lyr;
        TripleListing listing = next.valid() ? next.get() : read_triple(window, folders);
        if (listing.folders != folders) {
            listing = read_triple(window, folders);
        }
        // A next triple that partner_folder refuses is refused at its turn.
        if (i + 1 < triples && i + 1 < window.List2.ListCount() &&
            i + 1 < window.List3.ListCount()) {
            next = std::async(std::launch::async, read_triple, std::cref(window),
                              triple_folders(window, i + 1));
        }
        try {
            show_triple(window, std::move(listing));
        } catch (const std::exception& e) {
            throw UpdateFailure(e.what(), folders.midi, "");
        }
        AddFolderSongs(window, target, run);
        if (target.folder_done) {
            target.folder_done(folders.midi);
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
