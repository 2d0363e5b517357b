// The update command and the song table writer over a fake database: what is
// stored, what the window shows, and how each failure ends the run.
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "songdb/update_log.h"
#include "tests/songdb/fake_dao.h"
#include "tests/songdb/song_tree.h"

namespace songdb::testing {
namespace {

using Row = std::map<std::string, std::string>;

class UpdateFlowTest : public SongTreeTest {
  protected:
    UpdateFlowTest() {
        engine.add_database(database, {{"Song", song_table()}});
        target.engine = [this]() -> dao::DBEngine& { return engine; };
    }

    std::vector<Row>& rows() { return engine.table(database, "Song").rows; }
    std::vector<std::string> column(const std::string& name) {
        std::vector<std::string> values;
        for (const Row& row : rows()) {
            values.push_back(row.at(name));
        }
        return values;
    }
    std::string path(const std::filesystem::path& root, const std::string& relative) {
        return text(root / relative);
    }
    void expect_error_only() {
        ASSERT_EQ(prompts(), std::vector<std::string>{"   Error "});
        EXPECT_FALSE(toolkit.messages()[0].title.has_value());
        EXPECT_EQ(toolkit.messages()[0].buttons, 0);
    }

    FakeEngine engine;
};

TEST_F(UpdateFlowTest, StoresOneRowPerMidiFileWithTitleArtistIdAndPaths) {
    song("pop", "0123song", "Title one\r\nArtist one\r\nline three\r\nline four\r\n");
    song("pop", "a", "  Spaced title  \nArtist\n");
    song("pop", "b-empty", "");
    song("pop", "c-blank", "   \r\n\r\n");
    song("rock", "d-one-line", "Only a title");
    song("rock", "e-cr", "Title\rArtist\r");
    window::ReNameFold& window = open_on_songs();

    press_update();

    EXPECT_EQ(column("songID"),
              (std::vector<std::string>{"0123", "a.mi", "b-em", "c-bl", "d-on", "e-cr"}));
    EXPECT_EQ(column("songName"),
              (std::vector<std::string>{"Title one", "  Spaced title  ", "no name", "no name",
                                        "Only a title", "Title"}));
    EXPECT_EQ(column("artid"), (std::vector<std::string>{"Artist one", "Artist", "no name",
                                                         "no name", "no name", "Artist"}));
    const Row& first = rows().at(0);
    EXPECT_EQ(first.at("MidPath"), path(midi_root(), "pop/0123song.mid"));
    EXPECT_EQ(first.at("CurPath"), path(cur_root(), "pop/0123song.cur"));
    EXPECT_EQ(first.at("Lyrpath"), path(lyr_root(), "pop/0123song.Lyr"));
    EXPECT_EQ(first.count("ID"), 0U) << "only the six columns are set";
    EXPECT_EQ(rows().at(5).at("MidPath"), path(midi_root(), "rock/e-cr.mid"));

    ASSERT_EQ(status_at_store.size(), 6U);
    EXPECT_EQ(status_at_store[0], "Folder: " + path(midi_root(), "pop/0123song.mid"));
    EXPECT_EQ(window.Label9.Caption(), "");
    ASSERT_EQ(prompts(), std::vector<std::string>{"  Update Ok "});
    EXPECT_EQ(toolkit.messages()[0].title, " SongName chang!! ");
    EXPECT_EQ(engine.openings(), 1 + 2)
        << "the database is opened for the pass over its songs, then once per triple";
    EXPECT_EQ(engine.open_now(), 0);
    EXPECT_EQ(toolkit.event_rounds(), 2 + 6) << "once before the first file, once per file";
}

TEST_F(UpdateFlowTest, ColumnIdIsFourCharactersOfAThaiNameNotFourBytes) {
    song("pop", "\u0E40\u0E1E\u0E25\u0E07\u0E14\u0E35",
         "\xEF\xBB\xBF\u0E40\u0E1E\u0E25\u0E07\nศิลปิน\n");
    open_on_songs();
    press_update();
    EXPECT_EQ(column("songID"), std::vector<std::string>{"\u0E40\u0E1E\u0E25\u0E07"});
    EXPECT_EQ(column("artid"), std::vector<std::string>{"ศิลปิน"});
}

TEST_F(UpdateFlowTest, EmptyListsDoNothingAndAnEmptyMidiFolderOnlyOpensTheDatabase) {
    tree.folder("a/songs/midi/pop");
    tree.folder("a/songs/cur/pop");
    window::ReNameFold& window = open_window();
    bind_update(window, target);
    window.Dir1.set_Path(text(midi_root()));
    window.Dir2.set_Path(text(cur_root()));
    press_update();
    EXPECT_TRUE(toolkit.messages().empty()) << "List3 is empty";
    EXPECT_EQ(engine.openings(), 0);

    tree.folder("a/songs/lyr/pop");
    window.Dir3.set_Path(text(lyr_root()));
    press_update();
    EXPECT_EQ(prompts(), std::vector<std::string>{"  Update Ok "});
    EXPECT_EQ(engine.openings(), 2);
    EXPECT_EQ(window.Label9.Caption(), "Status:");
    EXPECT_TRUE(rows().empty());
}

TEST_F(UpdateFlowTest, FoldersChosenInTheWrongListsAreAnErrorNamingTheCounts) {
    song("pop", "0001", "One\nA\n");
    window::ReNameFold& window = open_on_songs();
    window.Dir1.set_Path(text(cur_root()));
    window.Dir2.set_Path(text(midi_root()));
    press_update();
    expect_error_only();
    EXPECT_NE(toolkit.messages()[0].details.find("0 \"*.mid\" in " + path(cur_root(), "pop")),
              std::string::npos)
        << toolkit.messages()[0].details;
    EXPECT_TRUE(rows().empty());
}

TEST_F(UpdateFlowTest, TheFirstRowGoesIntoAnEmptyTable) {
    song("pop", "x", "T\nA\n");
    open_on_songs();
    ASSERT_TRUE(rows().empty());
    press_update();
    EXPECT_EQ(rows().size(), 1U);
    EXPECT_EQ(prompts(), std::vector<std::string>{"  Update Ok "});
}

// Songs in three triples; the second triple's second song is the one that
// fails. The first triple and the first song of the second stay stored, the
// third triple is not reached, and Label9 keeps the failing song's text.
class FailingSongTest : public UpdateFlowTest {
  protected:
    FailingSongTest() {
        song("1", "0001", "One\nA\n");
        song("2", "0002", "Two\nB\n");
        song("2", "0003", "Three\nC\n");
        song("3", "0004", "Four\nD\n");
    }
    void expect_stopped_at_second_song(window::ReNameFold& window) {
        expect_error_only();
        EXPECT_EQ(column("songID"), (std::vector<std::string>{"0001", "0002"}));
        EXPECT_EQ(engine.open_now(), 0) << "the database is released";
        EXPECT_EQ(window.MidFolder, path(midi_root(), "2"));
    }
};

TEST_F(FailingSongTest, ALyricFileMissingWhenReadEndsTheRun) {
    after_stored(1, [&] { std::filesystem::remove(lyr_root() / "2/0003.Lyr"); });
    window::ReNameFold& window = open_on_songs();
    press_update();
    expect_stopped_at_second_song(window);
    EXPECT_EQ(window.Label9.Caption(), "Folder: " + path(midi_root(), "2/0002.mid"));
}

TEST_F(FailingSongTest, ADuplicateKeyKeepsTheRowsBefore) {
    engine.table(database, "Song").unique_columns = {"artid"};
    tree.file("a/songs/lyr/2/0003.Lyr", "Three\nB\n");
    window::ReNameFold& window = open_on_songs();
    press_update();
    expect_stopped_at_second_song(window);
    EXPECT_EQ(window.Label9.Caption(), "Folder: " + path(midi_root(), "2/0003.mid"));
}

TEST_F(FailingSongTest, ANumericSongIdRefusesALetterAndATooLongTitleIsRefused) {
    FakeTable& song = engine.table(database, "Song");
    song.columns[1].type = jet::ColumnType::Long;
    std::filesystem::rename(midi_root() / "2/0003.mid", midi_root() / "2/a.mid");
    window::ReNameFold& window = open_on_songs();
    press_update();
    expect_stopped_at_second_song(window);

    song.columns[1].type = jet::ColumnType::Text;
    song.rows.clear();
    tree.file("a/songs/lyr/2/0003.Lyr", std::string(101, 'x') + "\nC\n");
    std::filesystem::rename(midi_root() / "2/a.mid", midi_root() / "2/0003.mid");
    press_update();
    EXPECT_EQ(prompts(), (std::vector<std::string>{"   Error ", "   Error "}));
    EXPECT_EQ(column("songID"), (std::vector<std::string>{"0001", "0002"}));
}

TEST_F(UpdateFlowTest, DatabaseMissingNoSongTableOrAColumnMissingIsAnError) {
    song("pop", "x", "T\nA\n");
    open_on_songs();
    const std::filesystem::path real = database;
    target.database = database.parent_path() / "absent.mdb";
    bind_update(*window, target);
    press_update();
    target.database = real;
    bind_update(*window, target);

    engine.add_database(database, {{"Songs", song_table()}});
    press_update();

    FakeTable without_artist = song_table();
    without_artist.columns.erase(without_artist.columns.begin() + 3);
    engine.add_database(database, {{"Song", without_artist}});
    press_update();

    EXPECT_EQ(prompts(), (std::vector<std::string>{"   Error ", "   Error ", "   Error "}));
    EXPECT_TRUE(engine.table(database, "Song").rows.empty());
    EXPECT_EQ(engine.open_now(), 0);
}

TEST_F(UpdateFlowTest, PartnersMissingStoreNothingOfTheirTripleAndNameTheCounts) {
    song("1", "0001", "One\nA\n");
    song("2", "0002", "Two\nB\n");
    tree.file("a/songs/midi/3/0003.mid", "");
    std::filesystem::remove_all(cur_root() / "2");
    window::ReNameFold& window = open_on_songs();
    ASSERT_EQ(window.List2.ListCount(), 1);
    press_update();
    expect_error_only();
    EXPECT_EQ(column("songID"), std::vector<std::string>{"0001"});
    EXPECT_EQ(window.MidFolder, path(midi_root(), "1")) << "position 2 was not begun";

    rows().clear();
    tree.folder("a/songs/cur/2");
    tree.file("a/songs/cur/2/0002.cur", "");
    tree.file("a/songs/midi/2/0002b.mid", "");
    window.Dir2.set_Path(text(midi_root()));
    window.Dir2.set_Path(text(cur_root()));
    press_update();
    EXPECT_EQ(prompts(), (std::vector<std::string>{"   Error ", "   Error "}));
    EXPECT_EQ(column("songID"), std::vector<std::string>{"0001"})
        << "no song of the folder with a lyric file missing is stored with another's lyric";
    EXPECT_EQ(window.Label9.Caption(), "") << "no song of the second triple was begun";
    const std::string& details = toolkit.messages()[1].details;
    EXPECT_NE(details.find("2 \"*.mid\" in " + path(midi_root(), "2")), std::string::npos)
        << details;
    EXPECT_NE(details.find("1 \"*.cur\" in " + path(cur_root(), "2")), std::string::npos);
    EXPECT_NE(details.find("1 \"*.Lyr\" in " + path(lyr_root(), "2")), std::string::npos);
}

TEST_F(UpdateFlowTest, ATripleWhoseFoldersChangeInTheListsDuringTheRunIsReadAtItsTurn) {
    song("1", "0001", "One\nA\n");
    song("1", "0011", "Eleven\nA\n");
    song("2", "0002", "Two\nB\n");
    song("3", "0003", "Three\nC\n");
    window::ReNameFold& window = open_on_songs();
    ASSERT_EQ(window.List1.ListCount(), 3);
    // While the first triple is stored, the second and third change places
    // in the lists.
    after_stored(1, [&] {
        for (window::ListBox* list : {&window.List1, &window.List2, &window.List3}) {
            const std::vector<std::string> folders = {list->List(0), list->List(2), list->List(1)};
            list->Clear();
            for (const std::string& folder : folders) {
                list->AddItem(folder);
            }
        }
    });
    press_update();
    EXPECT_EQ(column("songID"), (std::vector<std::string>{"0001", "0011", "0003", "0002"}));
    EXPECT_EQ(column("songName"), (std::vector<std::string>{"One", "Eleven", "Three", "Two"}));
    EXPECT_EQ(prompts(), std::vector<std::string>{"  Update Ok "});
}

TEST_F(UpdateFlowTest, ASecondClickDuringARunIsIgnored) {
    song("pop", "0001", "One\nA\n");
    song("pop", "0002", "Two\nB\n");
    window::ReNameFold& window = open_on_songs();
    toolkit.queue([&] { window.CmdChDir.press(); });
    press_update();
    EXPECT_EQ(column("songID"), (std::vector<std::string>{"0001", "0002"}));
    EXPECT_EQ(prompts(), std::vector<std::string>{"  Update Ok "});
    EXPECT_EQ(engine.most_open_at_once(), 1);

    song("pop", "0003", "Three\nC\n");
    window.Dir1.set_Path(text(midi_root() / "pop"));
    window.Dir1.set_Path(text(midi_root()));
    press_update();
    EXPECT_EQ(column("songID"), (std::vector<std::string>{"0001", "0002", "0003"}))
        << "a click after the run starts a new one, which stores only the song not stored yet";
}

TEST_F(UpdateFlowTest, EachRunIsLoggedBesideTheCatalogueWithItsCountsAndCause) {
    song("pop", "0001", "One\nA\n");
    song("pop", "0002", "Two\nB\n");
    open_on_songs();
    press_update();
    press_update();
    std::filesystem::remove(lyr_root() / "pop/0002.Lyr");
    song("pop", "0003", "Three\nC\n");
    press_update();

    ASSERT_EQ(prompts(), (std::vector<std::string>{"  Update Ok ", "  Update Ok ", "   Error "}));
    EXPECT_NE(toolkit.messages()[2].details.find("\"*.Lyr\""), std::string::npos)
        << "the box offers the cause";
    EXPECT_TRUE(toolkit.messages()[0].details.empty());
    std::ifstream log(update_log_beside(database));
    std::vector<std::string> lines;
    for (std::string line; std::getline(log, line);) {
        lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), 3U);
    const std::string folders = "\tmidi " + text(midi_root()) + "\tcur " + text(cur_root()) +
                                "\tlyr " + text(lyr_root()) + "\t";
    for (const std::string& line : lines) {
        EXPECT_NE(line.find(folders), std::string::npos) << line;
    }
    EXPECT_TRUE(lines[0].ends_with("\tstored 2\tskipped 0\tok")) << lines[0];
    EXPECT_TRUE(lines[1].ends_with("\tstored 0\tskipped 2\tok")) << lines[1];
    EXPECT_NE(lines[2].find("\tstored 0\tskipped 0\tfailed: folder " + path(midi_root(), "pop") +
                            ": the folders do not hold one file of each kind"),
              std::string::npos)
        << lines[2];
}

// "Exit" and the close box in the middle of a run: the program ends, the run
// stops where it stands without a message, the row being filled is dropped and
// the database is released.
class EndDuringRunTest : public UpdateFlowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(EndDuringRunTest, StopsTheRunKeepingTheRowsStored) {
    song("pop", "0001", "One\nA\n");
    song("pop", "0002", "Two\nB\n");
    song("rock", "0003", "Three\nC\n");
    window::ReNameFold& window = open_on_songs();
    const bool close_box = GetParam();
    after_stored(1, [&] { close_box ? window.close_box() : window.Command1.press(); });

    EXPECT_NO_THROW(press_update());

    EXPECT_TRUE(toolkit.program_ended());
    EXPECT_TRUE(toolkit.messages().empty());
    EXPECT_EQ(column("songID"), std::vector<std::string>{"0001"});
    EXPECT_EQ(engine.open_now(), 0);
    EXPECT_EQ(window.Label9.Caption(), "Folder: " + path(midi_root(), "pop/0001.mid"));
}

INSTANTIATE_TEST_SUITE_P(ExitAndCloseBox, EndDuringRunTest, ::testing::Bool());

}  // namespace
}  // namespace songdb::testing
