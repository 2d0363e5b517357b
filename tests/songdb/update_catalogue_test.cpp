// The update end to end: into a catalogue made by the engine, through the
// Access engine's writer, read back by the independent reader mdb-reader and
// checked by `listsong check`. Built for Windows and run under Wine, the test
// cannot start node, a Linux program: there `listsong dump --json`, which
// prints rows in mdb-reader's form, reads the rows back, and scripts/test-windows
// reads listsong.exe's catalogues with mdb-reader on Linux.
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gmock/gmock.h>

#include "jet/create_database.h"
#include "jet/database.h"
#include "jet/error.h"
#include "songdb/song_table.h"
#include "tests/songdb/song_tree.h"
#include "tests/support/programs.h"

namespace songdb::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kThai = 874;

#ifdef _WIN32
// run_command() takes the program's error output with its standard output.
constexpr char kWithErrors[] = "";
constexpr char kQuote = '"';
#else
constexpr char kWithErrors[] = " 2>&1";
constexpr char kQuote = '\'';
#endif

// A path as a word of the command line.
std::string quoted(const fs::path& path) {
    const std::u8string text = path.u8string();
    return kQuote + std::string(text.begin(), text.end()) + kQuote;
}

// A text as a JSON string: Windows paths hold backslashes.
std::string json_string(const std::string& text) {
    std::string json = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            json += '\\';
        }
        json += c;
    }
    return json + "\"";
}

std::string json_row(int id, const std::vector<std::string>& values) {
    static const char* const kColumns[] = {"songID",  "songName", "artid",
                                           "MidPath", "CurPath",  "Lyrpath"};
    std::string line = "{\"ID\":" + std::to_string(id);
    for (std::size_t i = 0; i < values.size(); ++i) {
        line += ",\"" + std::string(kColumns[i]) + "\":" + json_string(values[i]);
    }
    return line + "}\n";
}

class UpdateCatalogueTest : public SongTreeTest {
  protected:
    UpdateCatalogueTest() : engine(kThai) {
        target.engine = [this]() -> dao::DBEngine& { return engine; };
    }

    // The Song rows as mdb-reader reads them (listsong dump --json on Windows),
    // one JSON object a line.
    std::string read_back() {
        int status = 0;
#ifdef _WIN32
        const std::string out = jet_test::run_command(
            quoted(LISTSONG_CLI) + " dump " + quoted(database) + " Song --json --codepage 874",
            status);
        EXPECT_EQ(status, 0) << out;
        return out;
#else
        if (!jet_test::require_program("node")) {
            return {};
        }
        const std::string out =
            jet_test::run_command("node '" LISTSONG_SOURCE "/tests/tools/mdb-reader-dump.mjs' " +
                                      quoted(database) + " Song --codepage 874",
                                  status);
        EXPECT_EQ(status, 0) << out;
        return out;
#endif
    }
    void expect_checked() {
        int status = 0;
        const std::string out = jet_test::run_command(
            quoted(LISTSONG_CLI) + " check " + quoted(database) + " --codepage 874" + kWithErrors,
            status);
        EXPECT_EQ(status, 0) << out;
        EXPECT_FALSE(fs::exists(database.string() + "-journal")) << "the journal is retired";
    }
    std::string path(const fs::path& root, const std::string& relative) {
        return text(root / fs::path(std::u8string(relative.begin(), relative.end())));
    }

    // What a run that fails reports: its folder, file and cause.
    std::string failure() {
        songdb::UpdateRun run;
        try {
            update_songs(*window, target, run);
        } catch (const UpdateFailure& e) {
            return e.what();
        }
        return "no failure";
    }

    dao::JetEngine engine;
};

TEST_F(UpdateCatalogueTest, AFullRunReadsBackAsStoredWithThaiTextInItsCodePage) {
    jet::create_database(database, songdb::song_table());
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
    EXPECT_EQ(read_back(), expected) << "the second run skips every song the first stored";
    expect_checked();
}

TEST_F(UpdateCatalogueTest, PathsForAnotherMachineTakeItsSeparatorAndItsWayOfComparingNames) {
    jet::create_database(database, songdb::song_table());
    song("1", "0001", "One\n");
    song("1", "0002", "Two\n");
    open_on_songs();
    target.paths.add(PathMapping{text(tree.root() / "a/songs"), "D:\\Karaoke"});
    UpdateRun first;
    ASSERT_TRUE(update_songs(*window, target, first));
    EXPECT_EQ(first.stored, 2);
    EXPECT_EQ(read_back(),
              json_row(1, {"0001", "One", "no name", "D:\\Karaoke\\midi\\1\\0001.mid",
                           "D:\\Karaoke\\cur\\1\\0001.cur", "D:\\Karaoke\\lyr\\1\\0001.Lyr"}) +
                  json_row(2, {"0002", "Two", "no name", "D:\\Karaoke\\midi\\1\\0002.mid",
                               "D:\\Karaoke\\cur\\1\\0002.cur", "D:\\Karaoke\\lyr\\1\\0002.Lyr"}));

    song("1", "0003", "Three\n");
    window->Dir1.set_Path(text(midi_root() / "1"));
    window->Dir1.set_Path(text(midi_root()));
    target.paths = PathMap();
    target.paths.add(PathMapping{text(tree.root() / "a/songs"), "d:/KARAOKE/"});
    UpdateRun second;
    ASSERT_TRUE(update_songs(*window, target, second));
    EXPECT_EQ(second.stored, 1) << "a Windows path names the same file in any case";
    EXPECT_EQ(second.skipped, 2);
    expect_checked();
}

TEST_F(UpdateCatalogueTest, ANameTheCodePageCannotHoldFailsTheRun) {
    jet::create_database(database, songdb::song_table());
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
    jet::create_database(database, songdb::song_table());
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
    jet::NewTable table = songdb::song_table();
    change(table);
    jet::create_database(path, table);
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
              "\"MidPath\":" +
                  json_string(path(midi_root(), "1/0123.mid")) +
                  ",\"CurPath\":" + json_string(path(cur_root(), "1/0123.cur")) +
                  ",\"Lyrpath\":" + json_string(path(lyr_root(), "1/0123.Lyr")) + "}\n");
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

// The catalogue stays open for writing from the first folder to the end of
// the run: a second writer (another `listsong add`, the window of another
// program) is refused between two folders instead of storing its rows in
// between.
TEST_F(UpdateCatalogueTest, TheCatalogueIsHeldForTheWholeRunSoNoOtherWriterSlipsInBetweenFolders) {
    jet::create_database(database, songdb::song_table());
    song("1", "0001", "One\n");
    song("2", "0002", "Two\n");
    open_on_songs();
    std::vector<std::string> refusals;
    target.folder_done = [&](const std::string&) {
        jet::OpenOptions options;
        options.code_page = kThai;
        options.writable = true;
        try {
            jet::Database::open(database, options);
        } catch (const jet::Error& e) {
            refusals.push_back(e.what());
        }
    };
    songdb::UpdateRun run;
    ASSERT_TRUE(update_songs(*window, target, run));
    ASSERT_EQ(refusals.size(), 2u) << "another writer opened the catalogue during the run";
    EXPECT_THAT(refusals[0], ::testing::HasSubstr("another program has the database open"));
    EXPECT_NO_THROW(engine.OpenDatabase(database)->Close()) << "the run released the catalogue";
    expect_checked();
}

// A catalogue that cannot be opened is named once in the message, with the
// engine's own cause.
TEST_F(UpdateCatalogueTest, ACatalogueThatCannotBeOpenedIsNamedOnce) {
    jet::create_database(database, songdb::song_table());
    song("1", "0001", "One\n");
    fs::path lock_file = database;
    lock_file.replace_extension(".ldb");
    std::ofstream(lock_file).put('x');
    open_on_songs();
    const std::string message = failure();
    EXPECT_THAT(message, ::testing::HasSubstr("lock file"));
    const std::string name = text(database);
    EXPECT_EQ(message.find(name), message.rfind(name)) << message;
}

}  // namespace
}  // namespace songdb::testing
