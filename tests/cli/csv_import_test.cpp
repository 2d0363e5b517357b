// Appending CSV rows to a new song catalogue: what is stored, what is
// refused before any row is, and what the messages say when a row is refused
// and the database then cannot be flushed either.
#include "cli/csv_import.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>

#include "jet/create_database.h"
#include "jet/database.h"
#include "jet/file_system.h"
#include "songdb/song_table.h"
#include "tests/support/unmapped_file_system.h"
#include "tests/window/temp_tree.h"

namespace {

// A file of the machine's file system whose flush of its data with its
// length and times fails, as on a disk gone bad: the flush that closes a
// database, after its inserts were written.
class UnflushableFile : public jet_test::UnmappedFile {
  public:
    using UnmappedFile::UnmappedFile;

    void sync(bool metadata) override {
        if (!metadata) {
            UnmappedFile::sync(false);
            return;
        }
        throw jet::FileError(
            jet::FileProblem::Other,
            jet::path_text(path()) + ": cannot flush the file to disk (Input/output error)",
            "Input/output error");
    }
};

// The machine's file system, with the database file (not its journal)
// unflushable.
class UnflushableDatabase : public jet::FileSystem {
  public:
    explicit UnflushableDatabase(std::filesystem::path database) : database_(std::move(database)) {}

    std::unique_ptr<jet::File> open(const std::filesystem::path& path,
                                    jet::OpenMode mode) override {
        std::unique_ptr<jet::File> file = native_.open(path, mode);
        if (path == database_) {
            return std::make_unique<UnflushableFile>(std::move(file));
        }
        return file;
    }
    bool exists(const std::filesystem::path& path) override { return native_.exists(path); }
    void remove(const std::filesystem::path& path) override { native_.remove(path); }
    void sync_folder(const std::filesystem::path& file) override { native_.sync_folder(file); }

  private:
    std::filesystem::path database_;
    jet::FileSystem& native_ = jet::native_file_system();
};

class CsvImportTest : public ::testing::Test {
  protected:
    CsvImportTest() { jet::create_database(database, songdb::song_table()); }

    // Imports `csv` into the Song table; the message of the failure, or
    // empty when it succeeds.
    std::string import(const std::string& csv, const jet::OpenOptions& options = {}) {
        try {
            cli::import_csv(database, "Song", tree.file("songs.csv", csv), options, out);
        } catch (const std::runtime_error& e) {
            return e.what();
        }
        return "";
    }

    std::uint32_t rows() const { return jet::Database::open(database)->table("Song").row_count; }

    window::testing::TempTree tree;
    std::filesystem::path database = tree.root() / "LISTSONG.mdb";
    std::ostringstream out;
};

const std::string kHeader = "songID,songName,artid\n";

TEST_F(CsvImportTest, RowsAreStoredAndCounted) {
    EXPECT_EQ(import(kHeader + "0001,One,A\n0002,\"Two, too\",B\n"), "");
    EXPECT_EQ(out.str(), "stored 2 rows\n");
    EXPECT_EQ(rows(), 2u);
}

TEST_F(CsvImportTest, AFailedFlushAfterARefusedRowHidesNeitherTheRefusalNorTheCount) {
    UnflushableDatabase file_system(database);
    jet::OpenOptions options;
    options.file_system = &file_system;
    const std::string message = import(kHeader + "0001,One,A\n00002-too-long,Two,B\n", options);
    const auto refusal = message.find("songs.csv: line 3: field too small: column 'songID'");
    const auto flush = message.find("cannot flush the file to disk");
    EXPECT_NE(refusal, std::string::npos) << message;
    EXPECT_NE(flush, std::string::npos) << message;
    EXPECT_LT(refusal, flush) << "the first failure comes first: " << message;
    EXPECT_EQ(out.str(), "stored 1 row\n");
    EXPECT_EQ(rows(), 1u);

    out.str("");
    EXPECT_NE(import(kHeader + "0003,Three,C\n", options).find("cannot flush"), std::string::npos);
    EXPECT_EQ(out.str(), "stored 1 row\n") << "a failed flush after every row stored";
}

TEST_F(CsvImportTest, AHeaderNamingAColumnTwiceIsRefusedBeforeAnyRow) {
    const std::string message = import("songID,artid,SongName,ARTID\n0001,A,One,B\n");
    EXPECT_NE(message.find("songs.csv: line 1: column 'artid' is named twice, "
                           "in fields 2 and 4"),
              std::string::npos)
        << message;
    EXPECT_EQ(rows(), 0u);
}

TEST_F(CsvImportTest, AnAutoNumberColumnIsRefusedBeforeAnyRow) {
    const std::string message = import("ID,songID\n7,0001\n");
    EXPECT_NE(message.find("songs.csv: line 1: column 'ID' is an AutoNumber column, which the "
                           "database numbers itself: leave it out"),
              std::string::npos)
        << message;
    EXPECT_EQ(rows(), 0u);
}

TEST_F(CsvImportTest, ALineIsNamedOnce) {
    EXPECT_EQ(import(kHeader + "0001,\"One,A\n"),
              jet::path_text(tree.root() / "songs.csv") + ": line 2: a quoted field is not closed");
    EXPECT_EQ(import("songID,\"songName\n"),
              jet::path_text(tree.root() / "songs.csv") + ": line 1: a quoted field is not closed");
}

}  // namespace
