// The update on a disk that fails: the window's update of four folders of 25
// songs into a new catalogue, through the Access engine on a disk in memory
// that fails at each call the update makes of it in turn (opening the
// catalogue, reading its pages, the save at the end of each folder, the
// close), with EIO and with ENOSPC, once or for good.
//
// Every run must end with UpdateFailure whose message holds the cause the
// first failed call gave ("(Input/output error)", "(No space left on
// device)"), ahead of any later failure's. Then the next open, on a sound
// disk holding the same bytes and journal, for reading and for writing,
// must succeed, leave no journal and find the catalogue undamaged; its Song
// rows, numbered 1, 2, ..., must be the first P songs in the order the run
// reported them stored (song_stored), with R - K <= P <= R, where R songs
// were reported stored and K is the number in "the last K inserts" of the
// message, the inserts a failed save lost (0 when it names none): every song
// reported stored is there but those K. No failed call may go unreported,
// not even the deletion of the journal once every song is saved.
#include <cstddef>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "jet/create_database.h"
#include "jet/journal.h"
#include "songdb/dao.h"
#include "songdb/song_table.h"
#include "songdb/update.h"
#include "tests/songdb/song_tree.h"
#include "tests/support/disk_fault_sweep.h"
#include "tests/support/memory_file_system.h"

namespace songdb::testing {
namespace {

using fault_sweep::Fault;
using jet_test::MemoryFileSystem;

constexpr int kThai = 874;
constexpr std::size_t kFolders = 4;
constexpr std::size_t kSongsPerFolder = 25;
constexpr std::size_t kSongs = kFolders * kSongsPerFolder;
// Every how many calls a run also has the disk fail for good after the call.
constexpr std::size_t kBrokenDiskStep = 1;
// How many calls after the first failure a second one is tried at.
constexpr std::size_t kSecondFailureWindow = 40;

// One update on a disk holding the starting catalogue.
struct Outcome {
    std::unique_ptr<MemoryFileSystem> disk;
    bool updated = false;  // update_songs returned true
    bool threw = false;
    bool update_failure = false;  // what it threw was UpdateFailure
    std::string message;
    std::vector<std::string> stored;  // the MIDI paths reported stored, in order
    std::size_t calls = 0;
    bool failed = false;
    std::optional<jet::FileError> first;
};

class UpdateSweepTest : public SongTreeTest {
  protected:
    UpdateSweepTest() {
        target.engine = [this]() -> dao::DBEngine& { return *engine; };
        for (std::size_t f = 1; f <= kFolders; ++f) {
            for (std::size_t s = 1; s <= kSongsPerFolder; ++s) {
                const std::string number = std::to_string(f * 100 + s);
                song("folder " + std::to_string(f), number + " song",
                     "Title " + number + "\r\nArtist " + std::to_string(s % 7) + "\r\n");
            }
        }
        MemoryFileSystem disk;
        jet::CreateOptions options;
        options.file_system = &disk;
        jet::create_database(database, songdb::song_table(), options);
        start = *disk.file(database);
    }

    Outcome run(const std::optional<Fault>& fault) {
        Outcome result;
        result.disk = std::make_unique<MemoryFileSystem>();
        result.disk->set_file(database, start);
        fault_sweep::FailingDisk failing(*result.disk, fault);
        engine = std::make_unique<dao::JetEngine>(kThai, failing);
        stored.clear();
        status_at_store.clear();
        songdb::UpdateRun run;
        try {
            result.updated = update_songs(*window, target, run);
        } catch (const UpdateFailure& e) {
            result.threw = true;
            result.update_failure = true;
            result.message = e.what();
        } catch (const std::exception& e) {
            result.threw = true;
            result.message = e.what();
        }
        engine.reset();
        result.stored = stored;
        result.calls = failing.calls();
        result.failed = failing.failed();
        result.first = failing.first();
        return result;
    }

    // What the rows found hold wrong: they must be the first of the songs
    // reported stored, in that order and numbered from 1, and all of them but
    // the `lost` last ones.
    static std::vector<std::string> row_problems(const fault_sweep::Reopened& found,
                                                 const std::vector<std::string>& reported,
                                                 std::size_t lost, const std::string& how) {
        std::vector<std::string> problems;
        if (!found.error.empty()) {
            return problems;
        }
        const std::size_t present = found.rows.size();
        if (present > reported.size()) {
            problems.push_back(how + ": " + std::to_string(present) + " rows are there, but " +
                               std::to_string(reported.size()) + " were reported stored");
        }
        if (present + lost < reported.size()) {
            problems.push_back(how + ": " + std::to_string(present) + " rows are there, but " +
                               std::to_string(reported.size()) + " were reported stored and " +
                               "the message says " + std::to_string(lost) + " were lost");
        }
        for (std::size_t j = 0; j < present && j < reported.size(); ++j) {
            const std::vector<jet::Value>& row = found.rows[j];
            const std::string midi_path =
                row.size() == 7 ? fault_sweep::text_of(row[4], *found.code_page) : "?";
            if (row.size() != 7 ||
                fault_sweep::long_of(row[0]) != static_cast<std::int64_t>(j + 1) ||
                midi_path != reported[j]) {
                problems.push_back(how + ": row " + std::to_string(j + 1) + " holds " + midi_path +
                                   ", the song reported stored " + std::to_string(j + 1) +
                                   "-th is " + reported[j]);
                break;
            }
        }
        return problems;
    }

    // Everything a run under `fault` got wrong; empty when nothing.
    std::vector<std::string> judge(const Fault& fault) {
        const Outcome result = run(fault);
        std::vector<std::string> problems;
        auto problem = [&](const std::string& text) {
            problems.push_back(fault.describe() + ": " + text);
        };
        std::size_t lost = 0;
        if (!result.failed) {
            // The run made fewer calls than the one counted without a fault
            // (a save made by time falls elsewhere): it must simply succeed.
            if (result.threw || !result.updated || result.stored.size() != kSongs) {
                problem("no call failed, yet it stored " + std::to_string(result.stored.size()) +
                        " songs and ended with '" + result.message + "'");
            }
        } else {
            for (const std::string& text : fault_sweep::failure_problems(
                     fault, result.first, result.threw, result.message,
                     "after " + std::to_string(result.stored.size()) + " songs stored")) {
                problem(text);
            }
            if (result.threw && !result.update_failure) {
                problem("it ended with another error than UpdateFailure: " + result.message);
            }
            lost = fault_sweep::inserts_said_lost(result.message);
        }

        // The next open, for reading and for writing, each on its own copy
        // of the disk as the run left it.
        for (const bool writable : {false, true}) {
            const std::string how = writable ? "opened for writing" : "opened for reading";
            const std::unique_ptr<MemoryFileSystem> next = fault_sweep::copy_of(*result.disk);
            const fault_sweep::Reopened found =
                fault_sweep::reopen(*next, database, "Song", writable, kThai);
            for (const std::string& text : fault_sweep::reopen_problems(found, how)) {
                problem(text);
            }
            for (const std::string& text : row_problems(found, result.stored, lost, how)) {
                problem(text);
            }
        }
        return problems;
    }

    // Runs the update under each fault and fails the test with every finding.
    void sweep(const std::vector<Fault>& faults) {
        fault_sweep::sweep(faults, "updates", [&](const Fault& fault) { return judge(fault); });
    }

    std::unique_ptr<dao::JetEngine> engine;
    std::vector<std::uint8_t> start;
};

TEST_F(UpdateSweepTest, OnASoundDiskEverySongIsStoredInTheOrderReported) {
    open_on_songs();
    const Outcome result = run(std::nullopt);
    ASSERT_TRUE(result.updated) << result.message;
    ASSERT_EQ(result.stored.size(), kSongs);
    EXPECT_FALSE(result.disk->exists(jet::journal_path(database)));
    const fault_sweep::Reopened found =
        fault_sweep::reopen(*result.disk, database, "Song", false, kThai);
    std::vector<std::string> problems = fault_sweep::reopen_problems(found, "reopened");
    for (const std::string& text : row_problems(found, result.stored, 0, "reopened")) {
        problems.push_back(text);
    }
    EXPECT_TRUE(problems.empty()) << fault_sweep::listed(problems);
    EXPECT_EQ(found.rows.size(), kSongs);
}

// Every counted call failing in turn, with EIO and with ENOSPC, once and
// with every later call failing too.
TEST_F(UpdateSweepTest, EIOAndENOSPCAtEveryCallEndInUpdateFailureTellingTheCause) {
    open_on_songs();
    const std::size_t calls = run(std::nullopt).calls;
    ASSERT_GT(calls, 0u);
    sweep(fault_sweep::faults_up_to(calls, kBrokenDiskStep));
}

// Two calls failing, the second while the update deals with the first: a
// save putting its pages back, the catalogue closed after a failure. Among
// them the flush that retires the journal's record after every page is on
// the disk, then a write: the save is left in the database, not half put
// back.
TEST_F(UpdateSweepTest, TwoFailedCallsEndInUpdateFailureTellingTheFirst) {
    open_on_songs();
    const std::size_t calls = run(std::nullopt).calls;
    ASSERT_GT(calls, 0u);
    sweep(fault_sweep::fault_pairs(calls, kSecondFailureWindow));
}

}  // namespace
}  // namespace songdb::testing
