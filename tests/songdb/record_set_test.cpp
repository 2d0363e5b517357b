// Record sets of the DAO facade over the engine, opened on one table at the
// same time, as the update opens one a folder: the rows added through each in
// turn, even when begun together, all land in one consistent table.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "jet/create_database.h"
#include "songdb/dao.h"
#include "songdb/song_table.h"
#include "tests/songdb/song_roots.h"
#include "tests/support/fixtures.h"

namespace songdb::testing {
namespace {

TEST(RecordSetTest, RowsAddedInTurnThroughTwoRecordSetsOnOneTableAllLand) {
    jet_test::ScratchFile file({});
    std::filesystem::remove(file.path());
    jet::create_database(file.path(), song_table());

    // Enough rows to fill data pages and split index pages under both.
    constexpr int kRows = 3000;
    {
        dao::JetEngine engine(874);
        const auto db = engine.OpenDatabase(file.path());
        const std::unique_ptr<dao::Recordset> record_sets[] = {
            db->OpenRecordset("SELECT * FROM Song"), db->OpenRecordset("SELECT * FROM Song")};
        // Each pair of rows is begun in both record sets before either is
        // stored, and stored in the other order.
        for (int n = 0; n < kRows; n += 2) {
            for (int k = 0; k < 2; ++k) {
                dao::Recordset& songs = *record_sets[k];
                const std::string id = std::to_string(100000 + n + k);
                songs.AddNew();
                songs.set_field("songID", id);
                songs.set_field("songName", "Song " + std::to_string((n + k) * 7919 % kRows));
                songs.set_field("artid", "Artist " + std::to_string((n + k) % 13));
                songs.set_field("MidPath", "D:\\MIDI\\" + id + ".mid");
                songs.set_field("CurPath", "D:\\CUR\\" + id + ".cur");
                songs.set_field("Lyrpath", "D:\\LYR\\" + id + ".lyr");
            }
            record_sets[1]->Update();
            record_sets[0]->Update();
        }
        db->Close();
    }
    EXPECT_EQ(song_rows(file.path()), kRows);
    EXPECT_TRUE(passes_check(file.path()));
}

}  // namespace
}  // namespace songdb::testing
