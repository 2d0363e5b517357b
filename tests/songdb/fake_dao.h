// The database operations of songdb/dao.h over tables kept in memory, for the
// tests of the update and the song table writer (update_flow_test.cpp): a test
// sets up the catalogue a run finds, reads back the rows it stored, and sees
// how often it opened the database and how many were open at once.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "jet/table_definition.h"
#include "songdb/dao.h"

namespace songdb::testing {

// A table kept in memory: its columns, which of them take no duplicate, and
// its rows as the texts that were set, by column name.
struct FakeTable {
    std::vector<jet::Column> columns;
    std::vector<std::string> unique_columns;
    std::vector<std::map<std::string, std::string>> rows;
};

// The Song table as the catalogue holds it: ID, songID Text(10), songName and
// artid Text(100), MidPath, CurPath and Lyrpath Text(255).
FakeTable song_table();

// Databases kept in memory by path. Values are converted by the engine's own
// rules (jet::value_from_text), so refusals are those of the real columns; a
// unique column refuses a text it already holds. It counts openings and the
// databases open at once.
class FakeEngine : public dao::DBEngine {
  public:
    explicit FakeEngine(int code_page = 874);

    // Adds a database file at `path` holding these tables.
    void add_database(const std::filesystem::path& path, std::map<std::string, FakeTable> tables);
    FakeTable& table(const std::filesystem::path& path, const std::string& name);

    int openings() const { return openings_; }
    int open_now() const { return open_now_; }
    int most_open_at_once() const { return most_open_; }

    std::unique_ptr<dao::Database> OpenDatabase(const std::filesystem::path& path) override;

  private:
    friend class FakeDatabase;

    const jet::CodePage& code_page_;
    std::map<std::filesystem::path, std::map<std::string, FakeTable>> files_;
    int openings_ = 0;
    int open_now_ = 0;
    int most_open_ = 0;
};

}  // namespace songdb::testing
