// Song folders for the update's tests: three roots that hold the same
// sub-folders, as the operator keeps MIDI, cursor and lyric files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "tests/window/temp_tree.h"
#include "window/re_name_fold.h"

namespace songdb::testing {

// The roots a/songs/midi, a/songs/cur and a/songs/lyr of a temporary tree.
class SongRoots {
  public:
    explicit SongRoots(const window::testing::TempTree& tree);

    // Adds one song: <name>.mid, <name>.cur and <name>.Lyr (holding `lyric`)
    // in the sub-folder `folder` of each root.
    void song(const std::string& folder, const std::string& name, const std::string& lyric) const;

    std::filesystem::path midi_root() const { return tree_.root() / "a/songs/midi"; }
    std::filesystem::path cur_root() const { return tree_.root() / "a/songs/cur"; }
    std::filesystem::path lyr_root() const { return tree_.root() / "a/songs/lyr"; }

    // Points Dir1, Dir2 and Dir3 of the window at the three roots.
    void choose_in(window::ReNameFold& window) const;

  private:
    const window::testing::TempTree& tree_;
};

// The rows of the table Song in a catalogue, counted by the engine.
std::int64_t song_rows(const std::filesystem::path& database);

// Whether the engine's check finds a catalogue sound.
bool passes_check(const std::filesystem::path& database);

}  // namespace songdb::testing
