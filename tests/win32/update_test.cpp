// "Update database", "Exit" and the close box through the window on the
// screen, into a catalogue made by the engine.
#include <string>
#include <vector>

#include "jet/create_database.h"
#include "songdb/song_table.h"
#include "tests/songdb/screen_update_test.h"
#include "tests/win32/win32_window_fixture.h"

namespace listsong_win32::testing {
namespace {

using songdb::testing::passes_check;
using songdb::testing::song_rows;

// Three folder triples of three songs each, and the window on the screen.
class UpdateTest : public songdb::testing::ScreenUpdateTest<Win32WindowTest> {};

TEST_F(UpdateTest, AFullUpdateStoresEverySongAndSaysOk) {
    jet::create_database(database, songdb::song_table());
    open_on_songs();
    // The status line on the screen names the song the run stores.
    std::string status_during_run;
    toolkit.at_event_round(3, [&] { status_during_run = window_text(control("Label9")); });
    const BoxCloser closer;
    click("CmdChDir");

    ASSERT_EQ(closer.seen().size(), 1U);
    EXPECT_EQ(closer.seen()[0].text, "  Update Ok ");
    EXPECT_EQ(closer.seen()[0].title, " SongName chang!! ");
    EXPECT_EQ(status_during_run, "Folder: " + text(tree.root() / "a/songs/midi/01/1001.mid"));
    EXPECT_EQ(window_text(control("Label9")), "");
    EXPECT_EQ(song_rows(database), kFolders * kSongsPerFolder);
    EXPECT_TRUE(passes_check(database));
    EXPECT_TRUE(window_shown());
    EXPECT_FALSE(toolkit.program_ended());
}

// The box has no room for the cause: it says "   Error " under the default
// title, as it always has, and the cause goes to stderr and the update log.
TEST_F(UpdateTest, AFailingUpdateSaysErrorUnderTheDefaultTitle) {
    open_on_songs();  // no catalogue in the program folder
    const BoxCloser closer;
    click("CmdChDir");

    ASSERT_EQ(closer.seen().size(), 1U);
    EXPECT_EQ(closer.seen()[0].text, "   Error ");
    EXPECT_EQ(closer.seen()[0].title, Win32Toolkit::default_title());
    EXPECT_TRUE(stored.empty());
    EXPECT_TRUE(window_shown());
}

// A button that has the focus is pressed with Space, and with Enter as in a
// dialog.
TEST_F(UpdateTest, SpaceAndEnterPressTheFocusedButton) {
    jet::create_database(database, songdb::song_table());
    open_on_songs();
    const BoxCloser closer;
    press_key(control("CmdChDir"), VK_SPACE);
    ASSERT_EQ(closer.seen().size(), 1U);
    EXPECT_EQ(closer.seen()[0].text, "  Update Ok ");
    EXPECT_EQ(song_rows(database), kFolders * kSongsPerFolder);

    press_key(control("CmdChDir"), VK_RETURN);
    ASSERT_EQ(closer.seen().size(), 2U);
    EXPECT_EQ(closer.seen()[1].text, "  Update Ok ");
}

TEST_F(UpdateTest, ExitDuringAnUpdateEndsTheProgramAtOnce) {
    expect_ended_in_second_folder([this] { click("Command1"); });
}

TEST_F(UpdateTest, TheCloseBoxDuringAnUpdateEndsTheProgramAsExitDoes) {
    expect_ended_in_second_folder(
        [this] { SendMessageW(view->handle(), WM_SYSCOMMAND, SC_CLOSE, 0); });
}

TEST_F(UpdateTest, ExitRightAfterStartUpEndsTheProgramWithoutAQuestion) {
    open_window();
    const BoxCloser closer;
    click("Command1");
    toolkit.dispatch_waiting_messages();
    EXPECT_TRUE(toolkit.program_ended());
    EXPECT_FALSE(window_shown());
    EXPECT_TRUE(closer.seen().empty());
}

}  // namespace
}  // namespace listsong_win32::testing
