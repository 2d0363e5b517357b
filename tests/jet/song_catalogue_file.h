// A new song catalogue (song_shaped_table()) in the temporary folder for one
// test, removed afterwards, with songs added by title.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "jet/create_database.h"
#include "jet/database.h"
#include "jet/table_writer.h"
#include "jet/value_parse.h"
#include "tests/support/song_shaped_table.h"

namespace jet_test {

class SongCatalogueFile {
  public:
    SongCatalogueFile() {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::temp_directory_path() /
                (std::string("songs-") + test->name() + "-" +
                 std::to_string(std::random_device{}()) + ".mdb");
        jet::create_database(path_, jet_test::song_shaped_table());
    }
    ~SongCatalogueFile() { std::filesystem::remove(path_); }
    SongCatalogueFile(const SongCatalogueFile&) = delete;
    SongCatalogueFile& operator=(const SongCatalogueFile&) = delete;

    const std::filesystem::path& path() const { return path_; }

    std::unique_ptr<jet::Database> open(std::optional<int> code_page, bool writable = false) const {
        jet::OpenOptions options;
        options.code_page = code_page;
        options.writable = writable;
        return jet::Database::open(path_, options);
    }

    // Adds one song per title, the titles stored in `code_page`.
    void add_titles(const std::vector<std::string>& titles, int code_page) const {
        const auto db = open(code_page, true);
        {
            jet::TableWriter writer(*db, "Song");
            const std::size_t title = writer.column_position("songName");
            for (const std::string& utf8 : titles) {
                std::vector<std::optional<jet::Value>> row(writer.table().columns.size());
                row[title] =
                    jet::value_from_text(utf8, writer.table().columns[title], db->code_page());
                writer.insert(row);
            }
        }
        db->close();
    }

    // The stored bytes of every title, in the order of the table's rows.
    std::vector<std::string> stored_titles() const {
        const auto db = open(1252);
        const jet::TableDefinition& table = db->table("Song");
        const std::size_t title = table.column_by_name("songName") - table.columns.data();
        std::vector<std::string> titles;
        db->for_each_row(table, [&](jet::RowPointer, const std::vector<jet::Value>& row) {
            const auto* text = std::get_if<jet::Text>(&row[title]);
            titles.push_back(text ? text->bytes : std::string());
        });
        return titles;
    }

  private:
    std::filesystem::path path_;
};

}  // namespace jet_test
