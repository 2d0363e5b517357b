// "Update database" and "Exit" through the window on the screen, into a
// catalogue made by the engine.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "jet/create_database.h"
#include "songdb/dao.h"
#include "songdb/update.h"
#include "tests/qt/qt_window_fixture.h"
#include "tests/songdb/song_roots.h"

namespace listsong_qt::testing {
namespace {

namespace fs = std::filesystem;
using songdb::testing::passes_check;
using songdb::testing::song_rows;

constexpr int kThai = 874;
constexpr int kFolders = 3;
constexpr int kSongsPerFolder = 3;

// Three folder triples of three songs each under a/songs, and the window's
// folder lists on the three roots.
class UpdateTest : public QtWindowTest {
  protected:
    UpdateTest() : roots(tree), database(toolkit.program_folder() / "LISTSONG.mdb"), engine(kThai) {
        for (int folder = 1; folder <= kFolders; ++folder) {
            for (int song = 1; song <= kSongsPerFolder; ++song) {
                const std::string name = std::to_string(1000 * folder + song);
                roots.song("0" + std::to_string(folder), name,
                           "Song " + name + "\r\nSinger " + name + "\r\n");
            }
        }
        target.database = database;
        target.engine = [this]() -> songdb::dao::DBEngine& { return engine; };
        target.song_stored = [this](const songdb::StoredSong& song) {
            stored.push_back(song.mid_path);
        };
    }

    void open_on_songs() {
        open_window();
        songdb::bind_update(*model, target);
        roots.choose_in(*model);
        view->show_model();
    }

    void click(std::string_view button) {
        QTest::mouseClick(&widget<QPushButton>(button), Qt::LeftButton);
    }

    // The cause of an update that fails at its first folder because the
    // engine, asked directly, refuses to open the catalogue.
    std::string cause_of_refused_catalogue() {
        std::string refusal = "the catalogue opened";
        try {
            engine.HoldDatabase(database);
        } catch (const std::exception& e) {
            refusal = e.what();
        }
        return "folder " + text(tree.root() / "a/songs/midi/01") + ": " + refusal;
    }

    // Ends the program in the middle of the second folder, after the window
    // let events through for its first song, and checks that nothing more
    // happened: no box, no further row, the database closed and sound.
    void expect_ended_in_second_folder(const std::function<void()>& end) {
        jet::create_database(database);
        open_on_songs();
        const int first_song_of_second_folder = (1 + kSongsPerFolder) + 2;
        toolkit.at_event_round(first_song_of_second_folder, end);
        const ModalCloser closer;
        click("CmdChDir");

        EXPECT_TRUE(toolkit.program_ended());
        EXPECT_FALSE(view->isVisible());
        EXPECT_TRUE(closer.seen().empty());
        EXPECT_EQ(toolkit.event_rounds(), first_song_of_second_folder);
        EXPECT_EQ(stored.size(), static_cast<std::size_t>(kSongsPerFolder));
        EXPECT_EQ(song_rows(database), kSongsPerFolder);
        EXPECT_TRUE(passes_check(database));
    }

    songdb::testing::SongRoots roots;
    fs::path database;
    songdb::dao::JetEngine engine;
    songdb::UpdateTarget target;
    std::vector<std::string> stored;
};

TEST_F(UpdateTest, AFullUpdateStoresEverySongAndSaysOk) {
    jet::create_database(database);
    open_on_songs();
    // The status line on the screen names the song the run stores.
    QString status_during_run;
    toolkit.at_event_round(3, [&] { status_during_run = widget<QLabel>("Label9").text(); });
    const ModalCloser closer;
    click("CmdChDir");

    ASSERT_EQ(closer.seen().size(), 1U);
    EXPECT_EQ(closer.seen()[0].text, "  Update Ok ");
    EXPECT_EQ(closer.seen()[0].title, " SongName chang!! ");
    EXPECT_EQ(closer.seen()[0].details, "");
    EXPECT_EQ(status_during_run.toStdString(),
              "Folder: " + text(tree.root() / "a/songs/midi/01/1001.mid"));
    EXPECT_EQ(widget<QLabel>("Label9").text(), "");
    EXPECT_EQ(song_rows(database), kFolders * kSongsPerFolder);
    EXPECT_TRUE(passes_check(database));
    EXPECT_TRUE(view->isVisible());
    EXPECT_FALSE(toolkit.program_ended());
}

TEST_F(UpdateTest, AFailingUpdateSaysErrorUnderTheDefaultTitleWithTheCauseAsDetails) {
    open_on_songs();  // no catalogue in the program folder
    const ModalCloser closer;
    click("CmdChDir");

    ASSERT_EQ(closer.seen().size(), 1U);
    EXPECT_EQ(closer.seen()[0].text, "   Error ");
    EXPECT_EQ(closer.seen()[0].title, QtToolkit::default_title());
    EXPECT_EQ(closer.seen()[0].details.toStdString(), cause_of_refused_catalogue());
    EXPECT_TRUE(stored.empty());
    EXPECT_TRUE(view->isVisible());
}

TEST_F(UpdateTest, ACatalogueThatIsNoDatabaseIsNamedInTheDetailsOfTheError) {
    tree.file("program/LISTSONG.mdb", "not an Access file");
    open_on_songs();
    const ModalCloser closer;
    click("CmdChDir");

    ASSERT_EQ(closer.seen().size(), 1U);
    EXPECT_EQ(closer.seen()[0].text, "   Error ");
    EXPECT_EQ(closer.seen()[0].details.toStdString(), cause_of_refused_catalogue());
    EXPECT_TRUE(stored.empty());
}

TEST_F(UpdateTest, ExitDuringAnUpdateEndsTheProgramAtOnce) {
    expect_ended_in_second_folder([this] { click("Command1"); });
}

TEST_F(UpdateTest, TheCloseBoxDuringAnUpdateEndsTheProgramAsExitDoes) {
    expect_ended_in_second_folder([this] { view->close(); });
}

TEST_F(UpdateTest, ExitRightAfterStartUpEndsTheProgramWithoutAQuestion) {
    open_window();
    const ModalCloser closer;
    click("Command1");
    QCoreApplication::processEvents();
    EXPECT_TRUE(toolkit.program_ended());
    EXPECT_FALSE(view->isVisible());
    EXPECT_TRUE(closer.seen().empty());
}

}  // namespace
}  // namespace listsong_qt::testing
