// The fixture of the headless update tests: song roots and the window over them.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "songdb/update.h"
#include "tests/songdb/song_roots.h"
#include "tests/window/window_fixture.h"

namespace songdb::testing {

// A window over three song roots, a/songs/midi, a/songs/cur and a/songs/lyr,
// each holding the same sub-folders, with the update bound to CmdChDir on
// `target`, whose database is LISTSONG.mdb in the program folder.
class SongTreeTest : public window::testing::WindowTest {
  protected:
    SongTreeTest();

    void song(const std::string& folder, const std::string& name, const std::string& lyric) {
        roots.song(folder, name, lyric);
    }
    std::filesystem::path midi_root() const { return roots.midi_root(); }
    std::filesystem::path cur_root() const { return roots.cur_root(); }
    std::filesystem::path lyr_root() const { return roots.lyr_root(); }

    // Opens the window, binds the update and points Dir1, Dir2 and Dir3 at the roots.
    window::ReNameFold& open_on_songs();
    void press_update() { window->CmdChDir.press(); }

    std::vector<std::string> prompts() const;
    // Runs `action` at the first processing of pending events after the
    // `count`-th row is stored.
    void after_stored(std::size_t count, std::function<void()> action);

    SongRoots roots;
    std::filesystem::path database;
    UpdateTarget target;
    // Label9 at each stored row, and the MIDI paths stored.
    std::vector<std::string> status_at_store;
    std::vector<std::string> stored;
    std::map<std::size_t, std::function<void()>> stored_actions;
};

}  // namespace songdb::testing
