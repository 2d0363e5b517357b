// The fixture of the update through a front end's window on a screen, shared
// by the Qt and the Windows window's tests.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "jet/create_database.h"
#include "songdb/dao.h"
#include "songdb/song_table.h"
#include "songdb/update.h"
#include "tests/songdb/song_roots.h"

namespace songdb::testing {

// Three folder triples of three songs each under a/songs of the front end's
// test tree, the update bound to CmdChDir on LISTSONG.mdb in the program
// folder, and the window's folder lists on the three roots once opened.
// `WindowTest` is the front end's fixture: its tree, toolkit, open_window(),
// model and view, click() on a button, window_shown(), and the BoxCloser that
// closes and records the message boxes the window raises.
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

    // Ends the program in the middle of the second folder, after the window
    // let events through for its first song, and checks that nothing more
    // happened: no box, no further row, the database closed and sound.
    void expect_ended_in_second_folder(const std::function<void()>& end) {
        jet::create_database(database, songdb::song_table());
        open_on_songs();
        this->toolkit.at_event_round(kRoundAfterSecondFoldersFirstSong, end);
        const typename WindowTest::BoxCloser closer;
        this->click("CmdChDir");

        EXPECT_TRUE(this->toolkit.program_ended());
        EXPECT_FALSE(this->window_shown());
        EXPECT_TRUE(closer.seen().empty());
        EXPECT_EQ(this->toolkit.event_rounds(), kRoundAfterSecondFoldersFirstSong);
        EXPECT_EQ(stored.size(), static_cast<std::size_t>(kSongsPerFolder));
        EXPECT_EQ(song_rows(database), kSongsPerFolder);
        EXPECT_TRUE(passes_check(database));
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
