// The import on a disk that fails: an import of 300 CSV rows into a new
// catalogue on a disk in memory that fails at each call the import makes of
// it in turn, with EIO and with ENOSPC, once or for good.
//
// Every run must end with an error whose message holds the cause the first
// failed call gave ("(Input/output error)", "(No space left on device)"),
// ahead of any later failure's. It must print "stored N rows" once it got
// past opening the catalogue and its table (a failure there stops it before
// any row, without a count). And the next open, on a sound disk holding the
// same bytes and journal, for reading and for writing, must roll back as
// needed, leave no journal and find the catalogue undamaged, its Song rows
// the CSV's first N' rows in order, numbered 1, 2, ..., with N <= N' <= 300.
//
// No failed call may go unreported, not even the deletion of the journal
// once every row is saved: that loses nothing (the next open deletes a
// journal that holds no save), but it tells of a disk that is failing.
#include <gtest/gtest.h>

#include <cstddef>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/csv_import.h"
#include "jet/create_database.h"
#include "jet/database.h"
#include "jet/journal.h"
#include "jet/table_writer.h"
#include "songdb/song_table.h"
#include "tests/support/disk_fault_sweep.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/memory_file_system.h"
#include "tests/window/temp_tree.h"

namespace {

namespace fs = std::filesystem;
using fault_sweep::Fault;
using jet_test::FaultyFileSystem;
using jet_test::MemoryFileSystem;

constexpr std::size_t kRows = 300;
constexpr int kCodePage = 1252;
// Every how many calls a run also has the disk fail for good after the call.
constexpr std::size_t kBrokenDiskStep = 1;
// How many calls after the first failure a second one is tried at.
constexpr std::size_t kSecondFailureWindow = 40;

struct SongRow {
    std::string song_id;
    std::string name;
    std::string artist;
    std::string midi_path;
};

std::vector<SongRow> song_rows() {
    std::vector<SongRow> rows;
    for (std::size_t i = 1; i <= kRows; ++i) {
        std::string number = std::to_string(i);
        number.insert(0, 4 - number.size(), '0');
        const std::string folder = std::to_string(i / 25);
        rows.push_back({"S" + number, "Song number " + std::to_string(i),
                        "Artist " + std::to_string(i % 13),
                        "D:\\Karaoke\\Midi\\Folder " + folder + "\\S" + number + ".mid"});
    }
    return rows;
}

std::string csv_text(const std::vector<SongRow>& rows) {
    std::string text = "songID,songName,artid,MidPath\n";
    for (const SongRow& row : rows) {
        text += row.song_id + "," + row.name + "," + row.artist + "," + row.midi_path + "\n";
    }
    return text;
}

// One import on a disk holding the starting catalogue.
struct Outcome {
    std::unique_ptr<MemoryFileSystem> disk;
    bool threw = false;
    std::string message;
    std::string out;  // what it printed
    std::size_t calls = 0;
    bool failed = false;  // a call failed
    std::optional<jet::FileError> first;
};

class ImportSweepTest : public ::testing::Test {
  protected:
    ImportSweepTest() : rows(song_rows()), csv(tree.file("songs.csv", csv_text(rows))) {
        MemoryFileSystem disk;
        jet::CreateOptions options;
        options.file_system = &disk;
        jet::create_database(database, songdb::song_table(), options);
        start = *disk.file(database);
    }

    std::unique_ptr<MemoryFileSystem> starting_disk() const {
        auto disk = std::make_unique<MemoryFileSystem>();
        disk->set_file(database, start);
        return disk;
    }

    jet::OpenOptions options_on(jet::FileSystem& file_system) const {
        jet::OpenOptions options;
        options.code_page = kCodePage;
        options.file_system = &file_system;
        return options;
    }

    Outcome run(const std::optional<Fault>& fault) const {
        Outcome result;
        result.disk = starting_disk();
        fault_sweep::FailingDisk failing(*result.disk, fault);
        std::ostringstream out;
        try {
            cli::import_csv(database, "Song", csv, options_on(failing), out);
        } catch (const std::exception& e) {
            result.threw = true;
            result.message = e.what();
        }
        result.out = out.str();
        result.calls = failing.calls();
        result.failed = failing.failed();
        result.first = failing.first();
        return result;
    }

    // The calls the import makes before it tries its first row: opening the
    // catalogue and its Song table. A failure there stops it before any row,
    // and it prints no count.
    std::size_t calls_before_the_rows() const {
        const std::unique_ptr<MemoryFileSystem> disk = starting_disk();
        FaultyFileSystem faulty(*disk);
        jet::OpenOptions options = options_on(faulty);
        options.writable = true;
        const std::unique_ptr<jet::Database> db = jet::Database::open(database, options);
        const jet::TableWriter writer(*db, "Song");
        return faulty.calls();
    }

    // What the rows found hold wrong: they must be the CSV's first rows in
    // order, numbered from 1, at least `stored` of them.
    std::vector<std::string> row_problems(const fault_sweep::Reopened& found, std::size_t stored,
                                          const std::string& how) const {
        std::vector<std::string> problems;
        if (!found.error.empty()) {
            return problems;
        }
        if (found.rows.size() < stored) {
            problems.push_back(how + ": " + std::to_string(found.rows.size()) +
                               " rows are there, but " + std::to_string(stored) +
                               " were reported stored");
        }
        if (found.rows.size() > rows.size()) {
            problems.push_back(how + ": " + std::to_string(found.rows.size()) +
                               " rows are there, more than the CSV holds");
        }
        for (std::size_t j = 0; j < found.rows.size() && j < rows.size(); ++j) {
            const std::vector<jet::Value>& row = found.rows[j];
            const SongRow& expected = rows[j];
            const jet::CodePage& code_page = *found.code_page;
            if (row.size() != 7 ||
                fault_sweep::long_of(row[0]) != static_cast<std::int64_t>(j + 1) ||
                fault_sweep::text_of(row[1], code_page) != expected.song_id ||
                fault_sweep::text_of(row[2], code_page) != expected.name ||
                fault_sweep::text_of(row[3], code_page) != expected.artist ||
                fault_sweep::text_of(row[4], code_page) != expected.midi_path) {
                problems.push_back(
                    how + ": row " + std::to_string(j + 1) + " is not the CSV's row " +
                    std::to_string(j + 1) + " (songID " +
                    (row.size() > 1 ? fault_sweep::text_of(row[1], code_page) : std::string("?")) +
                    ")");
                break;
            }
        }
        return problems;
    }

    // Everything a run under `fault` got wrong; empty when nothing.
    std::vector<std::string> judge(const Fault& fault, std::size_t before_rows) const {
        const Outcome result = run(fault);
        std::vector<std::string> problems;
        auto problem = [&](const std::string& text) {
            problems.push_back(fault.describe() + ": " + text);
        };

        // The count it printed: "stored N rows", once it has tried rows.
        std::optional<std::size_t> stored;
        const std::string count_words = "stored ";
        if (result.out.compare(0, count_words.size(), count_words) == 0) {
            stored = std::stoul(result.out.substr(count_words.size()));
            const std::string expected =
                "stored " + std::to_string(*stored) + (*stored == 1 ? " row\n" : " rows\n");
            if (result.out != expected) {
                problem("it printed '" + result.out + "'");
            }
        } else if (!result.out.empty()) {
            problem("it printed '" + result.out + "'");
        }

        if (!result.failed) {
            // The run made fewer calls than the one counted without a fault
            // (a save made by time falls elsewhere): it must simply succeed.
            if (result.threw) {
                problem("no call failed, yet it ended with: " + result.message);
            }
            if (stored != kRows) {
                problem("no call failed, yet it printed '" + result.out + "'");
            }
        } else {
            for (const std::string& text :
                 fault_sweep::failure_problems(fault, result.first, result.threw, result.message,
                                               "it printed '" + result.out + "'")) {
                problem(text);
            }
            if (fault.call > before_rows && !stored) {
                problem("it failed after the rows were begun but printed no count: '" + result.out +
                        "'");
            }
        }

        // The next open, for reading and for writing, each on its own copy
        // of the disk as the run left it.
        const std::size_t at_least = stored.value_or(0);
        std::optional<std::size_t> read_rows;
        for (const bool writable : {false, true}) {
            const std::string how = writable ? "opened for writing" : "opened for reading";
            const std::unique_ptr<MemoryFileSystem> next = fault_sweep::copy_of(*result.disk);
            const fault_sweep::Reopened found =
                fault_sweep::reopen(*next, database, "Song", writable, kCodePage);
            for (const std::string& text : fault_sweep::reopen_problems(found, how)) {
                problem(text);
            }
            for (const std::string& text : row_problems(found, at_least, how)) {
                problem(text);
            }
            if (!result.failed && found.error.empty() && found.rows.size() != kRows) {
                problem(how + ": " + std::to_string(found.rows.size()) + " rows after a run " +
                        "where nothing failed");
            }
            if (found.error.empty()) {
                if (read_rows && *read_rows != found.rows.size()) {
                    problem("opened for reading it holds " + std::to_string(*read_rows) +
                            " rows, for writing " + std::to_string(found.rows.size()));
                }
                read_rows = found.rows.size();
            }
        }
        return problems;
    }

    // Runs the import under each fault and fails the test with every finding.
    void sweep(const std::vector<Fault>& faults, std::size_t before_rows) const {
        fault_sweep::sweep(faults, "imports",
                           [&](const Fault& fault) { return judge(fault, before_rows); });
    }

    window::testing::TempTree tree;
    const std::vector<SongRow> rows;
    const fs::path csv;
    // The catalogue's place on the disk in memory; nothing is written there.
    const fs::path database = tree.root() / "LISTSONG.mdb";
    std::vector<std::uint8_t> start;
};

TEST_F(ImportSweepTest, OnASoundDiskEveryRowIsStoredAndTheJournalIsGone) {
    const Outcome result = run(std::nullopt);
    ASSERT_FALSE(result.threw) << result.message;
    EXPECT_EQ(result.out, "stored 300 rows\n");
    EXPECT_FALSE(result.disk->exists(jet::journal_path(database)));
    const fault_sweep::Reopened found =
        fault_sweep::reopen(*result.disk, database, "Song", false, kCodePage);
    const std::vector<std::string> problems = fault_sweep::reopen_problems(found, "reopened");
    EXPECT_TRUE(problems.empty()) << fault_sweep::listed(problems);
    EXPECT_EQ(found.rows.size(), kRows);
    const std::vector<std::string> wrong_rows = row_problems(found, kRows, "reopened");
    EXPECT_TRUE(wrong_rows.empty()) << fault_sweep::listed(wrong_rows);
    EXPECT_GT(result.calls, calls_before_the_rows());
}

// Every counted call failing in turn, with EIO and with ENOSPC, once and
// with every later call failing too.
TEST_F(ImportSweepTest, EIOAndENOSPCAtEveryCallEndInAnErrorTellingTheCauseAndLoseNoStoredRow) {
    const std::size_t calls = run(std::nullopt).calls;
    const std::size_t before_rows = calls_before_the_rows();
    ASSERT_GT(calls, before_rows);
    sweep(fault_sweep::faults_up_to(calls, kBrokenDiskStep), before_rows);
}

// Two calls failing, the second while the import deals with the first: a
// save putting its pages back, closing the database. Among them the flush
// that retires the journal's record after every page is on the disk, then
// a write: the save is left in the database, not half put back.
TEST_F(ImportSweepTest, TwoFailedCallsEndInAnErrorTellingTheFirstAndLoseNoStoredRow) {
    const std::size_t calls = run(std::nullopt).calls;
    const std::size_t before_rows = calls_before_the_rows();
    ASSERT_GT(calls, before_rows);
    sweep(fault_sweep::fault_pairs(calls, kSecondFailureWindow), before_rows);
}

}  // namespace
