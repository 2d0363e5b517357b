// The test file systems themselves: a catalogue created, written and checked
// in memory holds the same bytes as one made on disk; the memory file
// system's opens, errors and locks behave as the POSIX system's; and the
// faulty one fails exactly the call it is told to, with the disk's message.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "jet/check.h"
#include "jet/create_database.h"
#include "jet/database.h"
#include "jet/error.h"
#include "jet/table_writer.h"
#include "jet/value_parse.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/song_shaped_table.h"

namespace {

namespace fs = std::filesystem;
using jet_test::DiskFault;
using jet_test::FaultyFileSystem;
using jet_test::MemoryFileSystem;

const fs::path kDatabase = "catalogue/LISTSONG.mdb";

std::vector<std::uint8_t> read_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string errors_of(const jet::CheckReport& report) {
    std::string text;
    for (const jet::Finding& finding : report.findings) {
        if (finding.severity == jet::Severity::Error) {
            text += jet::format_finding(finding) + "\n";
        }
    }
    return text;
}

// Creates the catalogue at `path`, adds one song and checks the result, all
// through `file_system`.
void create_add_and_check(const fs::path& path, jet::FileSystem& file_system) {
    jet::CreateOptions create;
    create.created = jet::DateTime{45000.5};
    create.file_system = &file_system;
    jet::create_database(path, jet_test::song_shaped_table(), create);

    jet::OpenOptions options;
    options.code_page = 874;
    options.writable = true;
    options.file_system = &file_system;
    {
        const auto db = jet::Database::open(path, options);
        jet::TableWriter writer(*db, "Song");
        const std::vector<std::string> texts = {"",
                                                "00123",
                                                "เพลงทดสอบ",
                                                "นักร้อง",
                                                "C:\\Karaoke\\Midi\\00123.mid",
                                                "C:\\Karaoke\\Cur\\00123.cur",
                                                "C:\\Karaoke\\Lyr\\00123.lyr"};
        std::vector<std::optional<jet::Value>> row(texts.size());
        for (std::size_t i = 1; i < texts.size(); ++i) {
            row[i] = jet::value_from_text(texts[i], writer.table().columns[i], db->code_page());
        }
        writer.insert(row);
        db->close();
    }

    options.writable = false;
    const auto db = jet::Database::open(path, options);
    const jet::CheckReport report = jet::check_database(*db);
    EXPECT_TRUE(report.ok()) << errors_of(report);
    EXPECT_EQ(db->table("Song").row_count, 1u);
}

TEST(MemoryFileSystemTest, CatalogueWrittenInMemoryEqualsTheOneWrittenOnDisk) {
    MemoryFileSystem memory;
    create_add_and_check(kDatabase, memory);
    EXPECT_EQ(memory.paths(), std::vector<fs::path>{kDatabase}) << "the journal stayed behind";

    const fs::path folder = fs::temp_directory_path() /
                            ("memory-file-system-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder);
    create_add_and_check(folder / "LISTSONG.mdb", jet::native_file_system());
    const std::vector<std::uint8_t> on_disk = read_bytes(folder / "LISTSONG.mdb");
    fs::remove_all(folder);

    const std::optional<std::vector<std::uint8_t>> in_memory = memory.file(kDatabase);
    ASSERT_TRUE(in_memory);
    ASSERT_EQ(in_memory->size(), on_disk.size());
    EXPECT_TRUE(*in_memory == on_disk);
}

jet::FileProblem problem_of_open(MemoryFileSystem& memory, const fs::path& path, jet::OpenMode mode,
                                 std::string* message = nullptr) {
    try {
        memory.open(path, mode);
    } catch (const jet::FileError& e) {
        if (message != nullptr) {
            *message = e.what();
        }
        return e.problem();
    }
    ADD_FAILURE() << path << " opened";
    return jet::FileProblem::Other;
}

TEST(MemoryFileSystemTest, OpensAsThePosixSystemDoes) {
    MemoryFileSystem memory;
    std::string message;
    EXPECT_EQ(problem_of_open(memory, "a.mdb", jet::OpenMode::Read, &message),
              jet::FileProblem::NotFound);
    EXPECT_EQ(message, "a.mdb: cannot open the file (No such file or directory)");
    EXPECT_EQ(problem_of_open(memory, "a.mdb", jet::OpenMode::ReadWrite),
              jet::FileProblem::NotFound);
    EXPECT_FALSE(memory.exists("a.mdb"));

    memory.open("a.mdb", jet::OpenMode::CreateNew)
        ->write_at(4, std::vector<std::uint8_t>{7}.data(), 1);
    EXPECT_EQ(memory.file("a.mdb"), (std::vector<std::uint8_t>{0, 0, 0, 0, 7}));
    EXPECT_EQ(problem_of_open(memory, "./a.mdb", jet::OpenMode::CreateNew, &message),
              jet::FileProblem::Exists);
    EXPECT_EQ(message, "./a.mdb: cannot create the file (File exists)");

    const auto reader = memory.open("a.mdb", jet::OpenMode::Read);
    std::uint8_t bytes[8] = {};
    EXPECT_EQ(reader->read_at(3, bytes, sizeof bytes), 2u);
    EXPECT_EQ(bytes[1], 7);
    EXPECT_THROW(reader->write_at(0, bytes, 1), jet::FileError);
    EXPECT_THROW(reader->truncate(0), jet::FileError);
    EXPECT_EQ(reader->map(4096), nullptr);

    memory.open("a.mdb", jet::OpenMode::CreateOrTruncate)->reserve(3);
    EXPECT_EQ(memory.file("a.mdb"), (std::vector<std::uint8_t>(3, 0)));
    EXPECT_EQ(reader->size(), 3u);

    // Deleted while open: the open keeps the file, the name is free.
    memory.remove("a.mdb");
    memory.remove("a.mdb");
    EXPECT_FALSE(memory.exists("a.mdb"));
    EXPECT_EQ(reader->size(), 3u);
    memory.set_file("a.mdb", {1, 2});
    EXPECT_EQ(reader->size(), 3u);

    memory.set_read_only("a.mdb", true);
    EXPECT_EQ(problem_of_open(memory, "a.mdb", jet::OpenMode::ReadWrite, &message),
              jet::FileProblem::ReadOnly);
    EXPECT_EQ(message, "a.mdb: cannot open the file (Permission denied)");
    EXPECT_NO_THROW(memory.open("a.mdb", jet::OpenMode::Read));
}

TEST(MemoryFileSystemTest, LocksExcludeOtherOpensOfTheSameFileUntilReleased) {
    MemoryFileSystem memory;
    memory.set_file("a.mdb", {});
    memory.set_file("b.mdb", {});
    auto first = memory.open("a.mdb", jet::OpenMode::ReadWrite);
    auto second = memory.open("a.mdb", jet::OpenMode::ReadWrite);
    const auto other = memory.open("b.mdb", jet::OpenMode::ReadWrite);
    const auto reader = memory.open("a.mdb", jet::OpenMode::Read);

    EXPECT_TRUE(first->try_lock());
    EXPECT_TRUE(first->try_lock());
    EXPECT_FALSE(second->try_lock());
    EXPECT_TRUE(other->try_lock());
    EXPECT_THROW(reader->try_lock(), jet::FileError);
    first.reset();
    EXPECT_TRUE(second->try_lock());

    EXPECT_TRUE(reader->try_lock_byte(jet::LockByte::Commit, jet::LockKind::Shared));
    EXPECT_FALSE(second->try_lock_byte(jet::LockByte::Commit, jet::LockKind::Exclusive));
    EXPECT_THROW(reader->try_lock_byte(jet::LockByte::Commit, jet::LockKind::Exclusive),
                 jet::FileError);
    reader->unlock_byte(jet::LockByte::Commit);
    EXPECT_TRUE(second->try_lock_byte(jet::LockByte::Commit, jet::LockKind::Exclusive));
    EXPECT_FALSE(reader->try_lock_byte(jet::LockByte::Commit, jet::LockKind::Shared));
    EXPECT_TRUE(second->try_lock_byte(jet::LockByte::Commit, jet::LockKind::Shared));  // converted
    EXPECT_TRUE(reader->try_lock_byte(jet::LockByte::Commit, jet::LockKind::Shared));
    EXPECT_FALSE(second->try_lock_byte(jet::LockByte::Commit, jet::LockKind::Exclusive));
    reader->unlock_byte(jet::LockByte::Commit);
    EXPECT_TRUE(second->try_lock_byte(jet::LockByte::Commit, jet::LockKind::Exclusive));
    second.reset();
    EXPECT_TRUE(reader->try_lock_byte(jet::LockByte::Commit, jet::LockKind::Shared));
}

TEST(FaultyFileSystemTest, FailsTheChosenCallWithTheDisksMessage) {
    MemoryFileSystem memory;
    FaultyFileSystem faulty(memory);
    std::uint8_t byte = 1;
    {
        const auto file = faulty.open("a.mdb", jet::OpenMode::CreateNew);
        file->write_at(0, &byte, 1);
        file->size();
        file->try_lock();
        file->read_at(0, &byte, 1);
        file->sync(true);
    }
    faulty.sync_folder("a.mdb");
    faulty.remove("a.mdb");
    EXPECT_EQ(faulty.calls(), 6u);
    EXPECT_FALSE(faulty.failed());

    faulty.reset();
    faulty.fail_at(2, DiskFault::NoSpace);
    const auto file = faulty.open("dir/a.mdb", jet::OpenMode::CreateNew);
    try {
        file->write_at(0, &byte, 1);
        ADD_FAILURE() << "the write went through";
    } catch (const jet::FileError& e) {
        EXPECT_EQ(std::string(e.what()), "dir/a.mdb: cannot write (No space left on device)");
        EXPECT_EQ(e.reason(), "No space left on device");
        EXPECT_EQ(e.problem(), jet::FileProblem::Other);
    }
    EXPECT_TRUE(faulty.failed());
    EXPECT_EQ(memory.file("dir/a.mdb"), std::vector<std::uint8_t>{});
    EXPECT_NO_THROW(file->write_at(0, &byte, 1));

    faulty.reset();
    faulty.fail_at(1, DiskFault::NoSpace, true);
    try {
        file->read_at(0, &byte, 1);
        ADD_FAILURE() << "the read went through";
    } catch (const jet::FileError& e) {
        EXPECT_EQ(std::string(e.what()), "dir/a.mdb: cannot read (Input/output error)");
    }
    EXPECT_THROW(file->sync(false), jet::FileError);
    EXPECT_THROW(faulty.sync_folder("dir/a.mdb"), jet::FileError);
    EXPECT_EQ(faulty.calls(), 3u);
}

// An insert failed at each call it makes in turn: the engine reports an
// Error or, where the failed call was not needed (a deletion it only tries),
// stores the song; the catalogue, opened afterwards on a working disk, holds
// the song or not and passes the check either way.
TEST(FaultyFileSystemTest, AnInsertFailedAtAnyCallLeavesASoundCatalogue) {
    MemoryFileSystem memory;
    jet::CreateOptions create;
    create.created = jet::DateTime{45000.5};
    create.file_system = &memory;
    jet::create_database(kDatabase, jet_test::song_shaped_table(), create);
    const std::vector<std::uint8_t> empty = *memory.file(kDatabase);

    FaultyFileSystem faulty(memory);
    const auto insert = [&] {
        jet::OpenOptions options;
        options.code_page = 1252;
        options.writable = true;
        options.file_system = &faulty;
        const auto db = jet::Database::open(kDatabase, options);
        jet::TableWriter writer(*db, "Song");
        writer.insert({std::nullopt, jet::Value{jet::Text{"00001"}}, jet::Value{jet::Text{"A"}}});
        db->close();
    };
    insert();
    const std::size_t calls = faulty.calls();
    ASSERT_GT(calls, 5u);

    for (std::size_t n = 1; n <= calls; ++n) {
        SCOPED_TRACE("call " + std::to_string(n) + " of " + std::to_string(calls) + " failed");
        memory.clear();
        memory.set_file(kDatabase, empty);
        faulty.reset();
        faulty.fail_at(n, n % 2 == 0 ? DiskFault::NoSpace : DiskFault::InputOutput);
        bool refused = false;
        try {
            insert();
        } catch (const jet::Error&) {
            refused = true;
        }
        EXPECT_TRUE(faulty.failed());

        jet::OpenOptions options;
        options.code_page = 1252;
        options.file_system = &memory;
        try {
            const auto db = jet::Database::open(kDatabase, options);
            const jet::CheckReport report = jet::check_database(*db);
            EXPECT_TRUE(report.ok()) << errors_of(report);
            const std::uint32_t rows = db->table("Song").row_count;
            EXPECT_LE(rows, 1u);
            if (!refused) {
                EXPECT_EQ(rows, 1u) << "the insert reported success";
            }
        } catch (const jet::Error& e) {
            ADD_FAILURE() << e.what();
        }
    }
}

}  // namespace
