#include <stdexcept>
#include <string>
#include <vector>

#include "tests/window/window_fixture.h"

namespace window::testing {
namespace {

using StartUpTest = WindowTest;

TEST_F(StartUpTest, CentresTheWindowKeepingFractionsAndNegativeOffsets) {
    open_window();
    ASSERT_TRUE(toolkit.window_position());
    EXPECT_FLOAT_EQ(toolkit.window_position()->left, 5220.0F);
    EXPECT_FLOAT_EQ(toolkit.window_position()->top, 2362.5F);

    HeadlessToolkit small(tree.folder("a/music"), tree.folder("program"));
    small.add_drive(drive_a, "A");
    small.set_screen_size({3000, 4001});
    ReNameFold window_on_small_screen(small);
    window_on_small_screen.load();
    EXPECT_FLOAT_EQ(small.window_position()->left, -960.0F);
    EXPECT_FLOAT_EQ(small.window_position()->top, -1397.0F);
}

TEST_F(StartUpTest, FillsList1AndLabel1FromDir1InListOrder) {
    const std::vector<std::string> names = {"Pop", "ballad", "Country", "jazz",   "Rock",  "folk",
                                            "ALT", "blues",  "disco",   "Gospel", "indie", "Metal"};
    for (const std::string& name : names) {
        tree.folder("a/music/" + name);
    }
    tree.file("a/music/not-a-folder.mid");
    ReNameFold& window = open_window();

    const std::vector<std::string> expected = {"ALT",   "ballad", "blues",  "Country",
                                               "disco", "folk",   "Gospel", "indie",
                                               "jazz",  "Metal",  "Pop",    "Rock"};
    ASSERT_EQ(window.List1.ListCount(), 12);
    for (ListIndex i = 0; i < 12; ++i) {
        EXPECT_EQ(window.List1.List(i), text(tree.root() / "a/music" / expected[i]));
        EXPECT_EQ(window.List1.List(i), window.Dir1.List(i));
    }
    EXPECT_EQ(window.Label1.Caption(), "12   folder");
}

TEST_F(StartUpTest, EmptyFolderGivesZeroFolderAndOnlyList1IsFilled) {
    tree.folder("a/music/x");
    toolkit.set_start_folder(tree.folder("a/empty"));
    ReNameFold fresh(toolkit);
    EXPECT_EQ(fresh.Label1.Caption(), "0   File");
    fresh.load();
    EXPECT_EQ(fresh.List1.ListCount(), 0);
    EXPECT_EQ(fresh.Label1.Caption(), "0   folder");

    toolkit.set_start_folder(drive_a / "music");
    ReNameFold& started = open_window();
    EXPECT_EQ(started.List1.ListCount(), 1);
    EXPECT_EQ(started.Dir2.ListCount(), 1);
    EXPECT_EQ(started.List2.ListCount(), 0);
    EXPECT_EQ(started.List3.ListCount(), 0);
}

TEST_F(StartUpTest, StacksTheLabel2StripWithEmptyCaptions) {
    ReNameFold& window = open_window();
    for (ListIndex i = 0; i < LabelArray::kMembers; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FLOAT_EQ(window.Label2[i].Left(), 120.0F);
        EXPECT_FLOAT_EQ(window.Label2[i].Top(), 285.0F + 210.0F * static_cast<float>(i));
        EXPECT_EQ(window.Label2[i].Caption(), "");
        EXPECT_FLOAT_EQ(window.Label2[i].Height(), 255.0F);
    }
    EXPECT_FLOAT_EQ(window.Label2[21].Top(), 4695.0F);
    EXPECT_THROW(window.Label2[22], std::out_of_range);
    EXPECT_THROW(window.Label2[-1], std::out_of_range);
}

TEST_F(StartUpTest, StartsOnTheStartFolderAndItsDriveAndLoadsOnce) {
    tree.folder("b/songs");
    toolkit.set_start_folder(drive_b / "songs");
    ReNameFold& window = open_window();
    EXPECT_EQ(window.Drive1.Drive(), drive_b_text);
    EXPECT_EQ(window.Dir1.Path(), text(drive_b / "songs"));
    EXPECT_EQ(window.Dir3.Path(), text(drive_b / "songs"));
    EXPECT_EQ(window.Label9.Caption(), "Status:");
    EXPECT_EQ(window.MidFolder, "");
    EXPECT_EQ(window.MidFile.ListCount(), 0);
    EXPECT_TRUE(toolkit.messages().empty());
    EXPECT_THROW(window.load(), std::logic_error);
}

}  // namespace
}  // namespace window::testing
