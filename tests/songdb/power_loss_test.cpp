// The power cut in the middle of an update: the catalogue lives on a file
// system that knows what the disk holds for sure at every moment, and after
// each of the update's calls to it several states the disk may hold if the
// power went then are drawn (writes since the last sync lost, reordered or
// torn at 512-byte sectors; creations and deletions not flushed undone).
// Each state is opened as the next run would open it: the project's check
// passes, and the songs present are the first songs of the update in order,
// every song stored before the last completed save among them.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "jet/check.h"
#include "jet/create_database.h"
#include "jet/database.h"
#include "jet/journal.h"
#include "songdb/song_table.h"
#include "tests/songdb/song_tree.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/power_loss_file_system.h"

namespace songdb::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kThai = 874;
constexpr int kFolders = 8;
constexpr int kSongsPerFolder = 12;
constexpr int kImagesPerCall = 3;

// What one drawn disk state held after it was opened.
struct Outcome {
    std::vector<std::string> songs;  // MidPath by ID
    std::size_t saved = 0;           // songs stored before the last completed save
    std::size_t call = 0;
};

class PowerLossTest : public SongTreeTest {};

TEST_F(PowerLossTest, ACutAtAnyMomentOfAnUpdateLeavesACheckedCatalogueWithEverySavedSong) {
    for (int folder = 0; folder < kFolders; ++folder) {
        for (int n = 0; n < kSongsPerFolder; ++n) {
            const std::string name = std::to_string(1000 + folder * 100 + n);
            song("f" + std::to_string(folder), name, "Title " + name + "\nArtist\n");
        }
    }
    jet_test::PowerLossFileSystem disk;
    jet::CreateOptions create;
    create.file_system = &disk;
    jet::create_database(database, songdb::song_table(), create);
    disk.settle();
    const fs::path journal = jet::journal_path(database);

    // A save is complete once its journal record is retired on the disk: a
    // sync of the journal whose state word (bytes 56-59) is zero.
    std::size_t saved = 0;
    std::size_t calls = 0;
    std::mt19937 random(12345);
    std::vector<Outcome> outcomes;
    disk.after_call = [&](const fs::path& file, bool sync) {
        ++calls;
        if (sync && file == journal) {
            const auto bytes = disk.live_file(journal);
            if (bytes && bytes->size() >= 64 && (*bytes)[56] == 0 && (*bytes)[57] == 0) {
                saved = stored.size();
            }
        }
        for (int i = 0; i < kImagesPerCall; ++i) {
            jet_test::MemoryFileSystem after_cut;
            for (const auto& [path, bytes] : disk.crash_image(random)) {
                after_cut.set_file(path, bytes);
            }
            Outcome outcome;
            outcome.saved = saved;
            outcome.call = calls;
            jet::OpenOptions options;
            options.code_page = kThai;
            options.writable = true;
            options.file_system = &after_cut;
            try {
                const auto db = jet::Database::open(database, options);
                const jet::CheckReport report = jet::check_database(*db);
                ASSERT_TRUE(report.ok()) << "call " << calls << ": the check failed";
                const jet::TableDefinition& songs = db->table("Song");
                std::vector<std::pair<std::int32_t, std::string>> rows;
                db->for_each_row(songs, [&](jet::RowPointer, const std::vector<jet::Value>& row) {
                    rows.emplace_back(std::get<std::int32_t>(row[0]),
                                      db->code_page().to_utf8(std::get<jet::Text>(row[4]).bytes));
                    return true;
                });
                std::sort(rows.begin(), rows.end());
                for (std::size_t r = 0; r < rows.size(); ++r) {
                    ASSERT_EQ(rows[r].first, static_cast<std::int32_t>(r + 1)) << "call " << calls;
                    outcome.songs.push_back(rows[r].second);
                }
            } catch (const jet::Error& e) {
                FAIL() << "call " << calls << ": the catalogue does not open: " << e.what();
            }
            outcomes.push_back(std::move(outcome));
        }
    };
    songdb::dao::JetEngine engine(kThai, disk);
    target.engine = [&]() -> dao::DBEngine& { return engine; };
    open_on_songs();
    songdb::UpdateRun run;
    ASSERT_TRUE(update_songs(*window, target, run));
    disk.after_call = nullptr;

    ASSERT_EQ(stored.size(), static_cast<std::size_t>(kFolders * kSongsPerFolder));
    EXPECT_EQ(saved, stored.size()) << "the last save completed";
    EXPECT_GT(outcomes.size(), 300u);
    for (const Outcome& outcome : outcomes) {
        SCOPED_TRACE("call " + std::to_string(outcome.call));
        ASSERT_LE(outcome.songs.size(), stored.size());
        EXPECT_GE(outcome.songs.size(), outcome.saved) << "a saved song was lost";
        for (std::size_t i = 0; i < outcome.songs.size(); ++i) {
            ASSERT_EQ(outcome.songs[i], stored[i]) << "not the first songs in order";
        }
    }
    std::cout << outcomes.size() << " disk states after a cut, from " << calls
              << " calls to the file system\n";
}

}  // namespace
}  // namespace songdb::testing
