#include "tests/songdb/song_tree.h"

namespace songdb::testing {

SongTreeTest::SongTreeTest() : database(toolkit.program_folder() / "LISTSONG.mdb") {
    tree.folder("a/songs/midi");
    tree.folder("a/songs/cur");
    tree.folder("a/songs/lyr");
    target.database = database;
    target.song_stored = [this](const StoredSong& song) {
        status_at_store.push_back(window->Label9.Caption());
        stored.push_back(song.mid_path);
        const auto action = stored_actions.find(stored.size());
        if (action != stored_actions.end()) {
            toolkit.queue(action->second);
        }
    };
}

void SongTreeTest::song(const std::string& folder, const std::string& name,
                        const std::string& lyric) {
    tree.file("a/songs/midi/" + folder + "/" + name + ".mid", "MThd");
    tree.file("a/songs/cur/" + folder + "/" + name + ".cur", "cur");
    tree.file("a/songs/lyr/" + folder + "/" + name + ".Lyr", lyric);
}

window::ReNameFold& SongTreeTest::open_on_songs() {
    window::ReNameFold& w = open_window();
    bind_update(w, target);
    w.Dir1.set_Path(text(midi_root()));
    w.Dir2.set_Path(text(cur_root()));
    w.Dir3.set_Path(text(lyr_root()));
    return w;
}

std::vector<std::string> SongTreeTest::prompts() const {
    std::vector<std::string> result;
    for (const auto& message : toolkit.messages()) {
        result.push_back(message.prompt);
    }
    return result;
}

void SongTreeTest::after_stored(std::size_t count, std::function<void()> action) {
    stored_actions[count] = std::move(action);
}

}  // namespace songdb::testing
