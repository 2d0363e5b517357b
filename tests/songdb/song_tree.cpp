#include "tests/songdb/song_tree.h"

namespace songdb::testing {

SongTreeTest::SongTreeTest() : roots(tree), database(toolkit.program_folder() / "LISTSONG.mdb") {
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

window::ReNameFold& SongTreeTest::open_on_songs() {
    window::ReNameFold& w = open_window();
    bind_update(w, target);
    roots.choose_in(w);
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
