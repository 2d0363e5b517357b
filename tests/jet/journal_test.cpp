// The rollback journal: an insert stopped at any step of its commit, or a
// recovery stopped part-way, leaves the file byte for byte as before the
// insert once it is opened again; torn, damaged and foreign journals are
// either ignored (when the database never saw the insert) or refused with
// their own error, touching nothing.
//
// An insert or a recovery is stopped by killing the process that runs it,
// before a chosen change of the database: the database is opened on a file
// system that counts the changes reaching the file (its pages, its length,
// its syncs) and kills the process before the one chosen. On POSIX that
// process is a
// fork of the test that raises SIGKILL. Windows has no fork: the test program
// starts itself again to run only JournalChildTest, which reads its task
// from the environment and ends itself with TerminateProcess, the kill of
// Windows.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

#include <sstream>
#else
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "jet/check.h"
#include "jet/create_database.h"
#include "jet/database.h"
#include "jet/database_pager.h"
#include "jet/error.h"
#include "jet/journal.h"
#include "jet/table_writer.h"
#include "tests/support/fixtures.h"
#include "tests/support/numbered_song.h"
#include "tests/support/song_shaped_table.h"
#include "tests/support/stopping_file_system.h"
#include "tests/support/unmapped_file_system.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::optional<jet::Value>> song(int n) {
    return jet_test::numbered_song("K" + std::to_string(10000 + n), n);
}

// The file system every database of a test is opened on: the machine's, or
// one that declines to map files.
jet::FileSystem* current_file_system = &jet::native_file_system();

jet::OpenOptions writable() {
    jet::OpenOptions options;
    options.code_page = 1252;
    options.writable = true;
    options.file_system = current_file_system;
    return options;
}

void append_songs(const fs::path& path, int first, int count) {
    const auto db = jet::Database::open(path, writable());
    jet::TableWriter writer(*db, "Song");
    for (int n = first; n < first + count; ++n) {
        writer.insert(song(n));
    }
    db->close();
}

std::size_t song_rows(const fs::path& path) {
    jet::OpenOptions options;
    options.code_page = 1252;
    const auto db = jet::Database::open(path, options);
    std::size_t rows = 0;
    db->for_each_row(db->table("Song"), [&](jet::RowPointer, const std::vector<jet::Value>&) {
        ++rows;
        return true;
    });
    return rows;
}

#ifdef _WIN32
// The exit code of a test process that ended itself as a kill would.
constexpr UINT kKilledExitCode = 137;
#endif

// Ends this process at once, as a kill from outside does: no destructor runs
// and nothing is flushed.
void kill_this_process() {
#ifdef _WIN32
    TerminateProcess(GetCurrentProcess(), kKilledExitCode);
#else
    ::raise(SIGKILL);
#endif
}

unsigned long this_process_id() {
#ifdef _WIN32
    return GetCurrentProcessId();
#else
    return static_cast<unsigned long>(::getpid());
#endif
}

// What a child process does until it is killed after `stop` changes of the
// database: insert song `song` into it (0: only the journal written, k: k
// pages written), insert a shipper into Northwind's Shippers (the same), or
// open it for writing, which rolls back the save its journal holds (k: k
// pages restored, then the length).
struct ChildTask {
    enum class Kind { InsertSong, InsertShipper, Open };
    Kind kind;
    fs::path path;
    std::size_t stop;
    int song = 0;
};

void run_child_task(const ChildTask& task) {
    jet_test::StoppingFileSystem stopping(*current_file_system, task.path);
    stopping.stop_after(task.stop, kill_this_process);
    jet::OpenOptions options = writable();
    options.file_system = &stopping;
    switch (task.kind) {
        case ChildTask::Kind::InsertSong: {
            const auto db = jet::Database::open(task.path, options);
            jet::TableWriter(*db, "Song").insert(song(task.song));
            db->close();
            break;
        }
        case ChildTask::Kind::InsertShipper: {
            const auto db = jet::Database::open(task.path, options);
            jet::TableWriter writer(*db, "Shippers");
            writer.insert({std::nullopt, jet::Value{jet::Text{"Carrier"}}});
            db->save();
            break;
        }
        case ChildTask::Kind::Open:
            jet::Database::open(task.path, options);
            break;
    }
}

#ifdef _WIN32
// The environment variable that hands a child its task, as
// "<kind> <stop> <song> <unmapped> <path>".
constexpr wchar_t kChildTaskVariable[] = L"LISTSONG_JOURNAL_CHILD_TASK";

// Runs the task in a new run of this test program (JournalChildTest only,
// its output discarded) and reports whether the task ended it as a kill.
bool killed_in_child(const ChildTask& task) {
    std::wostringstream text;
    text << static_cast<int>(task.kind) << L' ' << task.stop << L' ' << task.song << L' '
         << (current_file_system == &jet::native_file_system() ? 0 : 1) << L' '
         << task.path.native();
    std::wstring program(MAX_PATH, L'\0');
    program.resize(GetModuleFileNameW(nullptr, program.data(), MAX_PATH));
    std::wstring command = L"\"" + program +
                           L"\" --gtest_filter=JournalChildTest.DISABLED_RunsTheTaskItIsGiven"
                           L" --gtest_also_run_disabled_tests";
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const HANDLE nothing =
        CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, 0, &inherited, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nothing;
    startup.hStdOutput = nothing;
    startup.hStdError = nothing;
    PROCESS_INFORMATION child{};
    SetEnvironmentVariableW(kChildTaskVariable, text.str().c_str());
    const bool started = CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &child);
    const DWORD start_error = GetLastError();
    SetEnvironmentVariableW(kChildTaskVariable, nullptr);
    CloseHandle(nothing);
    if (!started) {
        ADD_FAILURE() << "the child was not started (error " << start_error << ")";
        return false;
    }
    WaitForSingleObject(child.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(child.hProcess, &status);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    if (status != kKilledExitCode) {
        EXPECT_EQ(status, 0u) << "the child failed";
    }
    return status == kKilledExitCode;
}

// The child's side of killed_in_child. Disabled, so that only a child runs it.
TEST(JournalChildTest, DISABLED_RunsTheTaskItIsGiven) {
    std::wstring text(32768, L'\0');
    text.resize(
        GetEnvironmentVariableW(kChildTaskVariable, text.data(), static_cast<DWORD>(text.size())));
    ASSERT_FALSE(text.empty()) << "no task in the environment";
    std::wistringstream fields(text);
    int kind = 0;
    ChildTask task{};
    int unmapped = 0;
    fields >> kind >> task.stop >> task.song >> unmapped;
    fields.ignore(1);
    std::wstring path;
    std::getline(fields, path);
    task.kind = static_cast<ChildTask::Kind>(kind);
    task.path = path;
    static jet_test::UnmappedFileSystem unmapped_file_system;
    if (unmapped != 0) {
        current_file_system = &unmapped_file_system;
    }
    run_child_task(task);
}
#else
// Runs the task in a fork of this process and reports whether SIGKILL ended it.
bool killed_in_child(const ChildTask& task) {
    const pid_t child = ::fork();
    if (child == 0) {
        try {
            run_child_task(task);
        } catch (...) {
            ::_exit(3);
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status)) {
        EXPECT_EQ(WEXITSTATUS(status), 0) << "the child failed";
    }
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}
#endif

// Inserts song n into the database, killing the process after `stop`
// changes of the database (0: journal written; k: k pages written).
bool insert_killed_at(const fs::path& path, int n, std::size_t stop) {
    return killed_in_child({ChildTask::Kind::InsertSong, path, stop, n});
}

// Copies `from` over `to`. Not with copy_file's overwrite_existing: the
// libstdc++ of mingw-w64 (GCC 12) takes every existing target for the source
// itself, as inode numbers read as 0 on Windows, and refuses to copy.
void copy_over(const fs::path& from, const fs::path& to) {
    fs::remove(to);
    fs::copy_file(from, to);
}

void expect_error_containing(const fs::path& path, bool open_writable,
                             const std::vector<std::string>& parts) {
    jet::OpenOptions options = writable();
    options.writable = open_writable;
    try {
        jet::Database::open(path, options);
        ADD_FAILURE() << "opened without an error";
    } catch (const jet::Error& e) {
        for (const std::string& part : parts) {
            EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << e.what();
        }
    }
}

class JournalTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // A parameterised test's name ends in "/0" or "/1": one folder, not two.
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '-');
        folder_ = fs::temp_directory_path() /
                  ("jet-journal-" + std::to_string(this_process_id()) + "-" + name);
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        base_ = folder_ / "base.mdb";
        jet::create_database(base_, jet_test::song_shaped_table());
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path copy_of(const fs::path& source, const std::string& name) const {
        const fs::path target = folder_ / name;
        copy_over(source, target);
        return target;
    }

    // The changes of the database that the save of song `rows` after `rows`
    // songs makes, counted on a copy: its pages, then the syncs that force
    // them to the disk, the last change.
    std::size_t save_changes(const fs::path& path, int rows) const {
        const fs::path probe = copy_of(path, "probe.mdb");
        jet_test::StoppingFileSystem counting(*current_file_system, probe);
        jet::OpenOptions options = writable();
        options.file_system = &counting;
        const auto db = jet::Database::open(probe, options);
        jet::TableWriter(*db, "Song").insert(song(rows));
        db->save();
        return counting.changes();
    }

    fs::path folder_;
    fs::path base_;
};

// The journal and the database's pages written through memory mappings, and
// with system calls as where the files cannot be mapped.
class JournalWritingTest : public JournalTest, public ::testing::WithParamInterface<bool> {
  protected:
    void SetUp() override {
        JournalTest::SetUp();
        if (!GetParam()) {
            current_file_system = &unmapped_;
        }
    }
    void TearDown() override {
        current_file_system = &jet::native_file_system();
        JournalTest::TearDown();
    }

    jet_test::UnmappedFileSystem unmapped_;
};

// Killed before the journal's record is retired, the insert is rolled back;
// killed after it (before the database's last sync on closing), the insert
// is kept whole.
TEST_P(JournalWritingTest, InsertKilledAtAnyStepIsRolledBackToTheExactBytesBefore) {
    // 0 rows: the insert grows the file by a data page; 40 rows: it does not.
    for (const int rows : {0, 40}) {
        const fs::path path = copy_of(base_, "db.mdb");
        append_songs(path, 0, rows);
        const std::vector<std::uint8_t> before = jet_test::read_bytes(path);
        const fs::path start = copy_of(path, "start.mdb");
        const fs::path whole = copy_of(path, "whole.mdb");
        append_songs(whole, rows, 1);
        const std::vector<std::uint8_t> after = jet_test::read_bytes(whole);
        const std::size_t pages_and_syncs = save_changes(path, rows);
        std::size_t rolled_back = 0;
        std::size_t kept = 0;
        std::size_t stop = 0;
        for (; insert_killed_at(path, rows, stop); ++stop) {
            ASSERT_TRUE(fs::exists(jet::journal_path(path)));
            // Opening for reading rolls back as well as opening for writing.
            jet::OpenOptions options = writable();
            options.writable = stop % 2 == 0;
            if (jet::pager_of(*jet::Database::open(path, options)).recovery() ==
                jet::Recovery::RolledBack) {
                EXPECT_EQ(kept, 0u) << "rolled back after a kill at an earlier step kept it";
                ++rolled_back;
                EXPECT_EQ(jet_test::read_bytes(path), before) << rows << " rows, step " << stop;
                EXPECT_FALSE(fs::exists(jet::journal_path(path)));
            } else {
                ++kept;
                EXPECT_EQ(jet_test::read_bytes(path), after) << rows << " rows, step " << stop;
                if (options.writable) {
                    EXPECT_FALSE(fs::exists(jet::journal_path(path)));
                }
                // The next stop starts from the rows before again.
                copy_over(start, path);
                fs::remove(jet::journal_path(path));
            }
        }
        EXPECT_EQ(rolled_back, pages_and_syncs)
            << "every step of the save, from the journal written to the last page's sync";
        EXPECT_GE(pages_and_syncs, 5u)
            << "an insert writes a data page, three indexes and its definition";
        EXPECT_EQ(song_rows(path), static_cast<std::size_t>(rows) + 1);
        const auto db = jet::Database::open(path, writable());
        EXPECT_TRUE(jet::check_database(*db).ok());
    }
}

INSTANTIATE_TEST_SUITE_P(MappedAndWritten, JournalWritingTest, ::testing::Bool());

// The interrupted save has written every page and not yet synced them; the
// recovery is killed before it restores any page, after each page it
// restores, after it restores the length, and after it is done (at the
// database's last sync on closing).
TEST_F(JournalTest, RecoveryKilledPartWayIsFinishedByTheNextOpen) {
    for (const int rows : {0, 40}) {
        const fs::path path = copy_of(base_, "db.mdb");
        append_songs(path, 0, rows);
        const std::vector<std::uint8_t> before = jet_test::read_bytes(path);
        ASSERT_TRUE(insert_killed_at(path, rows, save_changes(path, rows) - 1));
        const fs::path interrupted = copy_of(path, "interrupted.mdb");
        const fs::path interrupted_journal = jet::journal_path(path);
        const fs::path saved_journal = folder_ / "saved-journal";
        copy_over(interrupted_journal, saved_journal);
        const std::vector<std::uint8_t> journal = jet_test::read_bytes(saved_journal);
        const std::size_t restored_pages =
            journal[8] | journal[9] << 8 | journal[10] << 16 | journal[11] << 24;
        const bool length_restored = fs::file_size(interrupted) != before.size();
        std::size_t unfinished = 0;
        std::size_t stop = 0;
        for (;; ++stop) {
            copy_over(interrupted, path);
            copy_over(saved_journal, interrupted_journal);
            if (!killed_in_child({ChildTask::Kind::Open, path, stop})) {
                break;
            }
            if (fs::exists(interrupted_journal)) {
                EXPECT_EQ(unfinished, stop)
                    << "a journal is left after a kill at an earlier step found the recovery done";
                ++unfinished;
                EXPECT_EQ(jet::pager_of(*jet::Database::open(path, writable())).recovery(),
                          jet::Recovery::RolledBack);
            }
            EXPECT_EQ(jet_test::read_bytes(path), before) << "stopped at step " << stop;
        }
        EXPECT_GE(restored_pages, 2u);
        EXPECT_GE(unfinished, restored_pages + (length_restored ? 2 : 1))
            << "before the first page, after each page restored, after the length";
        EXPECT_EQ(jet_test::read_bytes(path), before);
    }
}

// A save whose page write fails puts back the pages it wrote; the database
// then refuses further inserts until it is opened again, since what the
// writers hold in memory belongs to the save that was undone.
TEST_F(JournalTest, FailedWriteInASavePutsThePagesBackAndRefusesInsertsUntilReopened) {
    const fs::path path = copy_of(base_, "db.mdb");
    append_songs(path, 0, 10);
    const std::vector<std::uint8_t> before = jet_test::read_bytes(path);
    {
        jet_test::StoppingFileSystem failing(*current_file_system, path);
        jet::OpenOptions options = writable();
        options.file_system = &failing;
        const auto db = jet::Database::open(path, options);
        jet::TableWriter writer(*db, "Song");
        writer.insert(song(10));
        writer.insert(song(11));
        // The save's third page fails, after two are written.
        failing.stop_after(2, [] { throw jet::Error("simulated write failure"); });
        EXPECT_THROW(db->save(), jet::Error);
        EXPECT_EQ(jet_test::read_bytes(path), before);
        EXPECT_EQ(db->unsaved_inserts(), 2u);
        try {
            writer.insert(song(12));
            ADD_FAILURE() << "an insert after a failed save was accepted";
        } catch (const jet::Error& e) {
            EXPECT_NE(std::string(e.what()).find("simulated write failure"), std::string::npos)
                << e.what();
        }
        db->close();
        EXPECT_FALSE(fs::exists(jet::journal_path(path))) << "Close deletes the retired journal";
    }
    EXPECT_EQ(jet_test::read_bytes(path), before);
    append_songs(path, 10, 1);
    EXPECT_EQ(song_rows(path), 11u);
    const auto db = jet::Database::open(path, writable());
    EXPECT_TRUE(jet::check_database(*db).ok());
}

// Each case: what is done to the journal of an insert killed after writing
// its pages (or before writing any), and whether the open ignores it or
// refuses with which words. Refusals leave both files as they were.
TEST_F(JournalTest, TornDamagedAndForeignJournalsAreIgnoredOrRefusedNeverApplied) {
    const fs::path path = copy_of(base_, "db.mdb");
    append_songs(path, 0, 5);
    const std::vector<std::uint8_t> clean = jet_test::read_bytes(path);
    const fs::path journal = jet::journal_path(path);

    auto journal_bytes = [&] { return jet_test::read_bytes(journal); };
    auto put = [](const fs::path& file, const std::vector<std::uint8_t>& bytes) {
        std::ofstream(file, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    };
    // The journal of an insert killed before any page reached the database.
    ASSERT_TRUE(insert_killed_at(path, 5, 0));
    ASSERT_EQ(jet_test::read_bytes(path), clean);
    const std::vector<std::uint8_t> unwritten = journal_bytes();
    // The database holds nothing of that insert: its journal goes, so that
    // the next insert starts from a file with nothing to roll back.
    fs::remove(journal);
    // The journal of an insert killed after writing two pages.
    ASSERT_TRUE(insert_killed_at(path, 5, 2));
    const std::vector<std::uint8_t> half_written_db = jet_test::read_bytes(path);
    const std::vector<std::uint8_t> half_written = journal_bytes();
    ASSERT_NE(half_written_db, clean);

    // A journal cut 100 bytes before the end of its last record (the file
    // runs on past it).
    auto torn = [](std::vector<std::uint8_t> bytes) {
        const std::size_t records = bytes[8] | bytes[9] << 8 | bytes[10] << 16 | bytes[11] << 24;
        bytes.resize(64 + records * 2096 - 100);
        return bytes;
    };
    auto expect_ignored = [&](const std::vector<std::uint8_t>& bytes, const char* what) {
        SCOPED_TRACE(what);
        put(path, clean);
        put(journal, bytes);
        const auto db = jet::Database::open(path, writable());
        EXPECT_NE(jet::pager_of(*db).recovery(), jet::Recovery::RolledBack);
        EXPECT_EQ(jet_test::read_bytes(path), clean);
        EXPECT_FALSE(fs::exists(journal));
    };
    auto expect_refused = [&](const std::vector<std::uint8_t>& db_bytes,
                              const std::vector<std::uint8_t>& bytes,
                              const std::vector<std::string>& words, const char* what) {
        SCOPED_TRACE(what);
        put(path, db_bytes);
        put(journal, bytes);
        std::vector<std::string> parts = words;
        parts.push_back(journal.filename().string());
        expect_error_containing(path, true, parts);
        expect_error_containing(path, false, parts);
        EXPECT_EQ(jet_test::read_bytes(path), db_bytes);
        EXPECT_EQ(journal_bytes(), bytes);
    };

    // Ignored: the insert never reached the database.
    expect_ignored(torn(unwritten), "truncated in the last record, database untouched");
    std::vector<std::uint8_t> flipped = unwritten;
    flipped[64 + 500] ^= 0x01;
    expect_ignored(flipped, "a record's checksum fails, database untouched");
    expect_ignored(std::vector<std::uint8_t>(unwritten.begin(), unwritten.begin() + 20),
                   "shorter than its header");
    expect_ignored({}, "empty");
    expect_ignored(std::vector<std::uint8_t>(16384, 0),
                   "all zeros: room reserved, the program stopped before the first record");

    // Refused: a torn journal while the database holds part of the insert.
    expect_refused(half_written_db, torn(half_written), {"changed", "nothing was rolled back"},
                   "truncated, database written");
    // Refused: the header is damaged.
    std::vector<std::uint8_t> damaged = half_written;
    damaged[30] ^= 0x40;
    expect_refused(half_written_db, damaged, {"header is damaged"}, "header checksum");
    // Refused: not a journal at all.
    expect_refused(half_written_db, std::vector<std::uint8_t>(200, 'x'), {"not a journal"},
                   "unknown magic");
    // Refused: the database changed after the interruption (a page the
    // journal records now holds other bytes).
    std::vector<std::uint8_t> edited = half_written_db;
    const std::uint32_t recorded_page = half_written[64] | (half_written[65] << 8);
    edited[recorded_page * jet::kPageSize + 1000] ^= 0xFF;
    expect_refused(edited, half_written, {"changed", "neither"}, "page edited since");
    // Rolled back: the page after the two written was being copied in when
    // the program was killed; refused when it is not that page.
    auto cut_short = [&](std::size_t record) {
        std::vector<std::uint8_t> bytes = half_written_db;
        const std::uint8_t* r = half_written.data() + 64 + record * 2096;
        const std::size_t page = r[0] | r[1] << 8 | r[2] << 16;
        std::fill_n(bytes.begin() + page * jet::kPageSize + 700, 30, 0xA5);
        return bytes;
    };
    put(path, cut_short(2));
    put(journal, half_written);
    {
        const auto db = jet::Database::open(path, writable());
        EXPECT_EQ(jet::pager_of(*db).recovery(), jet::Recovery::RolledBack);
    }
    EXPECT_EQ(jet_test::read_bytes(path), clean);
    expect_refused(cut_short(3), half_written, {"changed", "neither"},
                   "a page past the next one holds other bytes");
    // Refused: the database grew since.
    std::vector<std::uint8_t> grown = half_written_db;
    grown.resize(grown.size() + 10 * jet::kPageSize);
    expect_refused(grown, half_written, {"changed", "length"}, "file grown since");

    // Refused: the journal of another catalogue made by create, whose page 0
    // is the same as this one's.
    const fs::path sibling = copy_of(base_, "sibling.mdb");
    append_songs(sibling, 100, 300);
    ASSERT_TRUE(insert_killed_at(sibling, 400, 2));
    expect_refused(clean, jet_test::read_bytes(jet::journal_path(sibling)),
                   {"belongs to another database"}, "journal of another created catalogue");

    // Refused: the journal of another database.
    SKIP_WITHOUT_FIXTURES();
    const fs::path other = copy_of(jet_test::fixture("nwind.mdb"), "other.mdb");
    fs::permissions(other, fs::perms::owner_write, fs::perm_options::add);
    ASSERT_TRUE(killed_in_child({ChildTask::Kind::InsertShipper, other, 1}));
    expect_refused(clean, jet_test::read_bytes(jet::journal_path(other)),
                   {"belongs to another database"}, "journal of nwind.mdb");
}

// The machine's file system, unmapped, whose writes and truncations of one
// file fail while `failing` is set, as a disk that has gone bad.
class FailingDiskFileSystem : public jet::FileSystem {
  public:
    explicit FailingDiskFileSystem(fs::path failing_file)
        : failing_file_(std::move(failing_file)) {}

    bool failing = false;

    std::unique_ptr<jet::File> open(const fs::path& path, jet::OpenMode mode) override {
        return std::make_unique<File>(unmapped_.open(path, mode), *this);
    }
    bool exists(const fs::path& path) override { return unmapped_.exists(path); }
    void remove(const fs::path& path) override { unmapped_.remove(path); }
    void sync_folder(const fs::path& file) override { unmapped_.sync_folder(file); }

  private:
    class File : public jet_test::UnmappedFile {
      public:
        File(std::unique_ptr<jet::File> file, FailingDiskFileSystem& disk)
            : UnmappedFile(std::move(file)), disk_(disk) {}
        void write_at(std::uint64_t offset, const std::uint8_t* data, std::size_t size) override {
            fail_when_bad("cannot write to the file");
            UnmappedFile::write_at(offset, data, size);
        }
        void truncate(std::uint64_t length) override {
            fail_when_bad("cannot set the file's length");
            UnmappedFile::truncate(length);
        }

      private:
        void fail_when_bad(const std::string& action) {
            if (disk_.failing && path() == disk_.failing_file_) {
                throw jet::FileError(jet::FileProblem::Other,
                                     path().string() + ": " + action + " (Input/output error)",
                                     "Input/output error");
            }
        }
        FailingDiskFileSystem& disk_;
    };

    fs::path failing_file_;
    jet_test::UnmappedFileSystem unmapped_;
};

// A save that fails, and whose putting back fails too, leaves the database
// broken: no further change is made, closing keeps the journal, and the next
// open rolls the save back to the bytes of the last save.
TEST_F(JournalTest, ASaveWhoseUndoFailsLeavesTheDatabaseBrokenUntilTheNextOpenRollsItBack) {
    const fs::path path = copy_of(base_, "db.mdb");
    append_songs(path, 0, 10);
    const std::vector<std::uint8_t> before = jet_test::read_bytes(path);
    FailingDiskFileSystem disk(path);
    {
        jet::OpenOptions options = writable();
        options.file_system = &disk;
        const auto db = jet::Database::open(path, options);
        jet::TableWriter writer(*db, "Song");
        writer.insert(song(10));
        writer.insert(song(11));
        disk.failing = true;
        try {
            db->save();
            ADD_FAILURE() << "the save succeeded on a failing disk";
        } catch (const jet::Error& e) {
            EXPECT_NE(std::string(e.what()).find("failed too"), std::string::npos) << e.what();
        }
        disk.failing = false;
        try {
            writer.insert(song(12));
            ADD_FAILURE() << "an insert into a broken database was accepted";
        } catch (const jet::Error& e) {
            EXPECT_NE(std::string(e.what()).find("could not be undone"), std::string::npos)
                << e.what();
        }
        db->close();
        EXPECT_TRUE(fs::exists(jet::journal_path(path))) << "a broken database keeps its journal";
    }
    EXPECT_TRUE(fs::exists(jet::journal_path(path)));
    {
        const auto db = jet::Database::open(path, writable());
        EXPECT_EQ(jet::pager_of(*db).recovery(), jet::Recovery::RolledBack);
        EXPECT_TRUE(jet::check_database(*db).ok());
    }
    EXPECT_EQ(jet_test::read_bytes(path), before);
    EXPECT_FALSE(fs::exists(jet::journal_path(path)));
}

TEST_F(JournalTest, ReadOnlyFileWithAnUnfinishedInsertIsRefusedNamingTheJournal) {
    const fs::path path = copy_of(base_, "db.mdb");
    append_songs(path, 0, 3);
    ASSERT_TRUE(insert_killed_at(path, 3, 2));
    const std::vector<std::uint8_t> interrupted = jet_test::read_bytes(path);
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
#ifdef _WIN32
    // The file's Read-only attribute holds for every Windows user, but Wine
    // run by the superuser writes the file all the same.
    if (std::fstream(path, std::ios::in | std::ios::out)) {
        fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
        GTEST_SKIP() << "this user may write a read-only file (the superuser)";
    }
    expect_error_containing(path, false,
                            {jet::journal_path(path).string(), "open it once with write access"});
#else
    // The superuser may write any file: the open is tried as user "nobody".
    const bool as_nobody = ::geteuid() == 0;
    const pid_t child = as_nobody ? ::fork() : 0;
    if (child == 0) {
        if (as_nobody && ::setuid(65534) != 0) {
            ::_exit(2);
        }
        expect_error_containing(
            path, false, {jet::journal_path(path).string(), "open it once with write access"});
        if (as_nobody) {
            ::_exit(::testing::Test::HasFailure() ? 1 : 0);
        }
    } else {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    }
#endif
    EXPECT_EQ(jet_test::read_bytes(path), interrupted);
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(song_rows(path), 3u);
}

}  // namespace
