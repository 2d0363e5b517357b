// The fixture of the update through a front end's window on a screen, shared
// by the Qt and the Windows window's tests.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "songdb/dao.h"
#include "songdb/update.h"
#include "tests/songdb/song_roots.h"

namespace songdb::testing {

// Three folder triples of three songs each under a/songs of the front end's
// test tree, the update bound to CmdChDir on LISTSONG.mdb in the program
// folder, and the window's folder lists on the three roots once opened.
// `WindowTest` is the front end's fixture: its tree, toolkit, open_window(),
// model and view.
template <typename WindowTest>
class ScreenUpdateTest : public WindowTest {
  protected:
    static constexpr int kFolders = 3;
    static constexpr int kSongsPerFolder = 3;
    // The round of pending events in which the update has stored the first
    // folder and the first song of the second: one round per song, and one
    // at each folder's start.
    static constexpr int kRoundAfterSecondFoldersFirstSong = (1 + kSongsPerFolder) + 2;

    ScreenUpdateTest()
        : roots(this->tree),
          database(this->toolkit.program_folder() / "LISTSONG.mdb"),
          engine(kThai) {
        for (int folder = 1; folder <= kFolders; ++folder) {
            for (int song = 1; song <= kSongsPerFolder; ++song) {
                const std::string name = std::to_string(1000 * folder + song);
                roots.song("0" + std::to_string(folder), name,
                           "Song " + name + "\r\nSinger " + name + "\r\n");
            }
        }
        target.database = database;
        target.engine = [this]() -> dao::DBEngine& { return engine; };
        target.song_stored = [this](const StoredSong& song) { stored.push_back(song.mid_path); };
    }

    void open_on_songs() {
        this->open_window();
        bind_update(*this->model, target);
        roots.choose_in(*this->model);
        this->view->show_model();
    }

    SongRoots roots;
    std::filesystem::path database;
    dao::JetEngine engine;
    UpdateTarget target;
    std::vector<std::string> stored;

  private:
    static constexpr int kThai = 874;
};

}  // namespace songdb::testing
