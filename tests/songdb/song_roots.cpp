#include "tests/songdb/song_roots.h"

#include "jet/check.h"
#include "jet/database.h"
#include "songdb/dao.h"

namespace songdb::testing {

using window::testing::shown_path;

SongRoots::SongRoots(const window::testing::TempTree& tree) : tree_(tree) {
    tree_.folder("a/songs/midi");
    tree_.folder("a/songs/cur");
    tree_.folder("a/songs/lyr");
}

void SongRoots::song(const std::string& folder, const std::string& name,
                     const std::string& lyric) const {
    tree_.file("a/songs/midi/" + folder + "/" + name + ".mid", "MThd");
    tree_.file("a/songs/cur/" + folder + "/" + name + ".cur", "cur");
    tree_.file("a/songs/lyr/" + folder + "/" + name + ".Lyr", lyric);
}

void SongRoots::choose_in(window::ReNameFold& window) const {
    window.Dir1.set_Path(shown_path(midi_root()));
    window.Dir2.set_Path(shown_path(cur_root()));
    window.Dir3.set_Path(shown_path(lyr_root()));
}

std::int64_t song_rows(const std::filesystem::path& database) {
    dao::JetEngine engine;
    return engine.OpenDatabase(database)->OpenRecordset("SELECT * FROM Song")->RecordCount();
}

bool passes_check(const std::filesystem::path& database) {
    const auto db = jet::Database::open(database);
    return jet::check_database(*db).ok();
}

}  // namespace songdb::testing
