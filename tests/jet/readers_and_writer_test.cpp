// Readers beside a writer: a reader that opens the database while another
// open of it inserts rows only ever sees a saved state, so the project's own
// check passes on every read, however the reads and the saves fall.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "jet/check.h"
#include "jet/create_database.h"
#include "jet/database.h"
#include "jet/error.h"
#include "jet/table_writer.h"
#include "tests/support/numbered_song.h"
#include "tests/support/song_shaped_table.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::optional<jet::Value>> song(int n) {
    return jet_test::numbered_song("R" + std::to_string(100000 + n), n);
}

TEST(ReadersAndWriterTest, EveryReadDuringAnInsertRunSeesASavedStateThatPassesTheCheck) {
    // Closed before the folder is removed: Windows deletes no open file.
    const fs::path folder = fs::temp_directory_path() / "jet-readers-and-writer";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path path = folder / "catalogue.mdb";
    jet::create_database(path, jet_test::song_shaped_table());

    constexpr int kRows = 40000;
    std::atomic<bool> writing = true;
    std::string writer_failure;
    std::thread writer([&] {
        try {
            jet::OpenOptions options;
            options.code_page = 1252;
            options.writable = true;
            const auto db = jet::Database::open(path, options);
            jet::TableWriter songs(*db, "Song");
            for (int n = 0; n < kRows; ++n) {
                songs.insert(song(n));
            }
            db->close();
        } catch (const std::exception& e) {
            writer_failure = e.what();
        }
        writing = false;
    });

    int reads = 0;
    std::uint32_t last_count = 0;
    while (writing) {
        jet::OpenOptions options;
        options.code_page = 1252;
        const auto db = jet::Database::open(path, options);
        const jet::CheckReport report = jet::check_database(*db);
        ASSERT_TRUE(report.ok()) << "read " << reads << " saw a change half-made";
        const std::uint32_t count = db->table("Song").row_count;
        EXPECT_GE(count, last_count) << "a saved row went missing";
        last_count = count;
        ++reads;
    }
    writer.join();
    EXPECT_EQ(writer_failure, "");
    EXPECT_GE(reads, 3) << "too few reads fell within the run to prove anything";

    {
        jet::OpenOptions options;
        options.code_page = 1252;
        const auto db = jet::Database::open(path, options);
        EXPECT_TRUE(jet::check_database(*db).ok());
        EXPECT_EQ(db->table("Song").row_count, static_cast<std::uint32_t>(kRows));
    }
    fs::remove_all(folder);
}

}  // namespace
