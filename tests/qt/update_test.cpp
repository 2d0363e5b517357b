// "Update database" and "Exit" through the window on the screen, into a
// catalogue made by the engine.
#include <QApplication>
#include <QLabel>

#include "jet/create_database.h"
#include "songdb/song_table.h"
#include "tests/qt/qt_window_fixture.h"
#include "tests/songdb/screen_update_test.h"

namespace listsong_qt::testing {
namespace {

using songdb::testing::passes_check;
using songdb::testing::song_rows;

// Three folder triples of three songs each, and the window on the screen.
class UpdateTest : public songdb::testing::ScreenUpdateTest<QtWindowTest> {
  protected:
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
};

TEST_F(UpdateTest, AFullUpdateStoresEverySongAndSaysOk) {
    jet::create_database(database, songdb::song_table());
    open_on_songs();
    // The status line on the screen names the song the run stores.
    QString status_during_run;
    toolkit.at_event_round(3, [&] { status_during_run = widget<QLabel>("Label9").text(); });
    const BoxCloser closer;
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
    EXPECT_TRUE(window_shown());
    EXPECT_FALSE(toolkit.program_ended());
}

TEST_F(UpdateTest, AFailingUpdateSaysErrorUnderTheDefaultTitleWithTheCauseAsDetails) {
    open_on_songs();  // no catalogue in the program folder
    const BoxCloser closer;
    click("CmdChDir");

    ASSERT_EQ(closer.seen().size(), 1U);
    EXPECT_EQ(closer.seen()[0].text, "   Error ");
    EXPECT_EQ(closer.seen()[0].title, QtToolkit::default_title());
    EXPECT_EQ(closer.seen()[0].details.toStdString(), cause_of_refused_catalogue());
    EXPECT_TRUE(stored.empty());
    EXPECT_TRUE(window_shown());
}

TEST_F(UpdateTest, ACatalogueThatIsNoDatabaseIsNamedInTheDetailsOfTheError) {
    tree.file("program/LISTSONG.mdb", "not an Access file");
    open_on_songs();
    const BoxCloser closer;
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
    const BoxCloser closer;
    click("Command1");
    QCoreApplication::processEvents();
    EXPECT_TRUE(toolkit.program_ended());
    EXPECT_FALSE(window_shown());
    EXPECT_TRUE(closer.seen().empty());
}

}  // namespace
}  // namespace listsong_qt::testing
