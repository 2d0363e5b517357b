// The update end to end: into a catalogue made by the engine, through the
// Access engine's writer, read back by the independent reader mdb-reader and
// checked by `listsong check`.
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <gmock/gmock.h>

#include "jet/create_database.h"
#include "tests/songdb/song_tree.h"

namespace songdb::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kThai = 874;

std::string run(const std::string& command, int& status) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        status = -1;
        return out;
    }
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        out.append(buffer, n);
    }
    status = pclose(pipe);
    return out;
}

std::string quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

std::string json_row(int id, const std::vector<std::string>& values) {
    static const char* const kColumns[] = {"songID",  "songName", "artid",
                                           "MidPath", "CurPath",  "Lyrpath"};
    std::string line = "{\"ID\":" + std::to_string(id);
    for (std::size_t i = 0; i < values.size(); ++i) {
        line += ",\"" + std::string(kColumns[i]) + "\":\"" + values[i] + "\"";
    }
    return line + "}\n";
}

class UpdateCatalogueTest : public SongTreeTest {
  protected:
    UpdateCatalogueTest() : engine(kThai) {
        target.engine = [this]() -> dao::DBEngine& { return engine; };
    }

    // The Song rows as mdb-reader reads them, one JSON object a line.
    std::string read_back() {
        int status = 0;
        run("node --version >/dev/null 2>&1", status);
        if (status != 0) {
            ADD_FAILURE() << "node is needed to read back with mdb-reader (scripts/setup)";
            return {};
        }
        const std::string out = run("node '" LISTSONG_SOURCE "/tests/tools/mdb-reader-dump.mjs' " +
                                        quoted(database) + " Song --codepage 874",
                                    status);
        EXPECT_EQ(status, 0) << out;
        return out;
    }
    void expect_checked() {
        int status = 0;
        const std::string out =
            run("'" LISTSONG_CLI "' check " + quoted(database) + " --codepage 874 2>&1", status);
        EXPECT_EQ(status, 0) << out;
        EXPECT_FALSE(fs::exists(database.string() + "-journal")) << "the journal is retired";
    }
    std::string path(const fs::path& root, const std::string& relative) {
        return text(root / fs::path(std::u8string(relative.begin(), relative.end())));
    }

    // What a run that fails reports: its folder, file and cause.
    std::string failure() {
        try {
            update_songs(*window, target);
        } catch (const UpdateFailure& e) {
            return e.what();
        }
        return "no failure";
    }

    dao::JetEngine engine;
};

TEST_F(UpdateCatalogueTest, AFullRunReadsBackAsStoredWithThaiTextInItsCodePage) {
    jet::create_database(database);
    // "เพลงรัก" / "นักร้อง" in Windows-874 bytes, in a Thai-named folder.
    song("เพลงไทย", "0123song", "\xE0\xBE\xC5\xA7\xC3\xD1\xA1\r\n\xB9\xD1\xA1\xC3\xE9\xCD\xA7\r\n");
    song("เพลงไทย", "a", "  Blanks kept  \r\n   \r\nthird\r\nfourth\r\n");
    song("pop", "b", "");
    song("pop", "c", "Only title");
    window::ReNameFold& window = open_on_songs();

    press_update();

    ASSERT_EQ(prompts(), std::vector<std::string>{"  Update Ok "});
    EXPECT_EQ(window.Label9.Caption(), "");
    const std::string expected =
        json_row(1, {"b.mi", "no name", "no name", path(midi_root(), "pop/b.mid"),
                     path(cur_root(), "pop/b.cur"), path(lyr_root(), "pop/b.Lyr")}) +
        json_row(2, {"c.mi", "Only title", "no name", path(midi_root(), "pop/c.mid"),
                     path(cur_root(), "pop/c.cur"), path(lyr_root(), "pop/c.Lyr")}) +
        json_row(3, {"0123", "เพลงรัก", "นักร้อง", path(midi_root(), "เพลงไทย/0123song.mid"),
                     path(cur_root(), "เพลงไทย/0123song.cur"),
                     path(lyr_root(), "เพลงไทย/0123song.Lyr")}) +
        json_row(4, {"a.mi", "  Blanks kept  ", "no name", path(midi_root(), "เพลงไทย/a.mid"),
                     path(cur_root(), "เพลงไทย/a.cur"), path(lyr_root(), "เพลงไทย/a.Lyr")});
    EXPECT_EQ(read_back(), expected);
    expect_checked();

    press_update();
    EXPECT_EQ(prompts(), (std::vector<std::string>{"  Update Ok ", "  Update Ok "}));
    expect_checked();
}

TEST_F(UpdateCatalogueTest, ANameTheCodePageCannotHoldFailsTheRun) {
    jet::create_database(database);
    song("1", "0001", "One\n");
    song("2-日本", "0002", "Two\n");
    open_on_songs();
    press_update();
    EXPECT_EQ(prompts(), std::vector<std::string>{"   Error "});
    EXPECT_EQ(read_back(),
              json_row(1, {"0001", "One", "no name", path(midi_root(), "1/0001.mid"),
                           path(cur_root(), "1/0001.cur"), path(lyr_root(), "1/0001.Lyr")}));
    expect_checked();
}

TEST_F(UpdateCatalogueTest, ExitDuringARunKeepsTheStoredRowsAndAConsistentFile) {
    jet::create_database(database);
    song("1", "0001", "One\n");
    song("1", "0002", "Two\n");
    window::ReNameFold& window = open_on_songs();
    after_stored(1, [&] { window.Command1.press(); });
    press_update();
    EXPECT_TRUE(toolkit.messages().empty());
    EXPECT_EQ(read_back(),
              json_row(1, {"0001", "One", "no name", path(midi_root(), "1/0001.mid"),
                           path(cur_root(), "1/0001.cur"), path(lyr_root(), "1/0001.Lyr")}));
    expect_checked();
    EXPECT_NO_THROW(engine.OpenDatabase(database)->Close()) << "the database was released";
}

// The song table laid out otherwise: `change` edits the standard one.
void create_catalogue(const fs::path& path, const std::function<void(jet::NewTable&)>& change) {
    jet::CreateOptions options;
    change(options.table);
    jet::create_database(path, options);
}

TEST_F(UpdateCatalogueTest, ADatabaseMissingWithoutSongOrWithoutAColumnIsAnErrorStoringNothing) {
    song("1", "0001", "One\n");
    open_on_songs();
    press_update();
    EXPECT_EQ(prompts(), std::vector<std::string>{"   Error "});

    create_catalogue(database, [](jet::NewTable& table) { table.name = "Songs"; });
    press_update();
    EXPECT_EQ(prompts(), (std::vector<std::string>{"   Error ", "   Error "}));
    expect_checked();

    fs::remove(database);
    create_catalogue(database, [](jet::NewTable& table) {
        table.columns.erase(table.columns.begin() + 3);  // artid
        table.indexes.pop_back();
    });
    EXPECT_THAT(failure(),
                ::testing::HasSubstr("file 0001.mid: table 'Song' has no column 'artid'"));
    press_update();
    EXPECT_EQ(prompts(), (std::vector<std::string>{"   Error ", "   Error ", "   Error "}));
    EXPECT_EQ(read_back(), "");
    expect_checked();
}

TEST_F(UpdateCatalogueTest, ANumericSongIdTakesDigitsAndRefusesALetterKeepingTheRowsBefore) {
    create_catalogue(database, [](jet::NewTable& table) {
        table.columns[1].type = jet::ColumnType::Long;
        table.columns[1].size = 0;
        table.columns[1].flags |= jet::Column::kFixed;
    });
    song("1", "0123", "One\n");
    song("1", "a", "Two\n");
    song("1", "b", "Three\n");
    open_on_songs();
    EXPECT_THAT(failure(), ::testing::HasSubstr("file a.mid: type mismatch: 'a.mi' cannot be "
                                                "stored in column 'songID' (Long Integer)"));
    EXPECT_EQ(read_back(),
              "{\"ID\":1,\"songID\":123,\"songName\":\"One\",\"artid\":\"no name\","
              "\"MidPath\":\"" +
                  path(midi_root(), "1/0123.mid") + "\",\"CurPath\":\"" +
                  path(cur_root(), "1/0123.cur") + "\",\"Lyrpath\":\"" +
                  path(lyr_root(), "1/0123.Lyr") + "\"}\n");
    expect_checked();
}

TEST_F(UpdateCatalogueTest, ADuplicateKeyEndsTheRunKeepingTheRowsBefore) {
    create_catalogue(database, [](jet::NewTable& table) {
        table.indexes[1].flags = jet::RealIndex::kUnique;  // songID
    });
    song("1", "0001a", "One\n");
    song("1", "0001b", "Two\n");
    song("1", "0002", "Three\n");
    open_on_songs();
    EXPECT_THAT(failure(),
                ::testing::HasSubstr("file 0001b.mid: duplicate key: index 'songID' of table "
                                     "'Song' already holds a row with the same value"));
    EXPECT_EQ(read_back(),
              json_row(1, {"0001", "One", "no name", path(midi_root(), "1/0001a.mid"),
                           path(cur_root(), "1/0001a.cur"), path(lyr_root(), "1/0001a.Lyr")}));
    expect_checked();
}

}  // namespace
}  // namespace songdb::testing
