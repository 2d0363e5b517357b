#include <string>
#include <vector>

#include "tests/window/window_fixture.h"

namespace window::testing {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> items(const ListBox& list) {
    std::vector<std::string> result;
    for (ListIndex i = 0; i < list.ListCount(); ++i) {
        result.push_back(list.List(i));
    }
    return result;
}

class FolderChangeTest : public WindowTest {
  protected:
    FolderChangeTest() {
        for (const char* name : {"a/music/pop", "a/music/rock", "a/cur/one", "b/x", "b/y", "b/z"}) {
            tree.folder(name);
        }
    }
};

TEST_F(FolderChangeTest, DriveChangeRefreshesLabel1AndList1ThenList2ThenList3) {
    ReNameFold& window = open_window();
    std::vector<std::string> order;
    window.Dir1.on_change([&] {
        order.push_back("Dir1");
        window.Dir1_Change();
        EXPECT_EQ(window.Label1.Caption(), "3   folder");
    });
    window.Dir2.on_change([&] {
        order.push_back("Dir2 after List1 holds " + std::to_string(window.List1.ListCount()));
        window.Dir2_Change();
    });
    window.Dir3.on_change([&] {
        order.push_back("Dir3 after List2 holds " + std::to_string(window.List2.ListCount()));
        window.Dir3_Change();
    });

    window.Drive1.set_Drive(drive_b_text);

    EXPECT_EQ(order, (std::vector<std::string>{"Dir1", "Dir2 after List1 holds 3",
                                               "Dir3 after List2 holds 3"}));
    const std::vector<std::string> on_b = {text(drive_b / "x"), text(drive_b / "y"),
                                           text(drive_b / "z")};
    EXPECT_EQ(items(window.List1), on_b);
    EXPECT_EQ(items(window.List2), on_b);
    EXPECT_EQ(items(window.List3), on_b);
    EXPECT_EQ(window.Dir2.Path(), text(drive_b));
}

TEST_F(FolderChangeTest, GoingBackToADriveReturnsToTheFolderLeftThere) {
    ReNameFold& window = open_window();
    window.Drive1.set_Drive(drive_b_text);
    window.Drive1.set_Drive(text(drive_a / "music" / "pop"));
    EXPECT_EQ(window.Drive1.Drive(), drive_a_text);
    EXPECT_EQ(window.Dir1.Path(), text(drive_a / "music"));
    EXPECT_EQ(window.Label1.Caption(), "2   folder");
    EXPECT_EQ(items(window.List3), items(window.List1));
}

TEST_F(FolderChangeTest, UnreadyDriveIsUndoneSilently) {
    const fs::path drive_c = tree.folder("c");
    const std::string drive_c_text = toolkit.add_drive(drive_c, "C");
    toolkit.set_drive_ready(drive_c, false);
    ReNameFold& window = open_window();
    window.Dir3.set_Path(text(drive_a / "cur"));
    const std::vector<std::string> list1_before = items(window.List1);

    window.Drive1.set_Drive(drive_c_text);

    EXPECT_EQ(window.Drive1.Drive(), drive_a_text);
    EXPECT_EQ(window.Dir1.Path(), text(drive_a / "music"));
    EXPECT_EQ(items(window.List1), list1_before);
    EXPECT_EQ(window.Label1.Caption(), "2   folder");
    EXPECT_EQ(window.Dir3.Path(), text(drive_a / "cur"));
    EXPECT_EQ(items(window.List3), std::vector<std::string>{text(drive_a / "cur" / "one")});
    EXPECT_TRUE(toolkit.messages().empty());

    toolkit.set_drive_ready(drive_c, true);
    window.Drive1.set_Drive(drive_c_text);
    EXPECT_EQ(window.Dir1.Path(), text(drive_c));
}

#ifndef _WIN32
TEST_F(FolderChangeTest, FailureAfterDir1KeepsTheNewDriveAndSkipsTheRest) {
    ReNameFold& window = open_window();
    window.Dir2.set_Path(text(drive_b / "y"));
    window.Drive1.set_Drive(drive_b_text);
    window.Drive1.set_Drive(drive_a_text);
    EXPECT_EQ(window.Dir2.Path(), text(drive_a / "music"));
    fs::create_directory(drive_b / "y" / std::string("bad\xff"));

    window.Drive1.set_Drive(drive_b_text);

    EXPECT_EQ(window.Drive1.Drive(), drive_b_text);
    EXPECT_EQ(window.Dir1.Path(), text(drive_b));
    EXPECT_EQ(window.Label1.Caption(), "3   folder");
    EXPECT_EQ(window.Dir2.Path(), text(drive_a / "music"));
    EXPECT_EQ(window.Dir3.Path(), text(drive_a / "music"));
    EXPECT_TRUE(toolkit.messages().empty());
}
#endif

TEST_F(FolderChangeTest, FolderChangesRebuildOnlyTheirOwnList) {
    ReNameFold& window = open_window();
    EXPECT_TRUE(items(window.List2).empty());
    EXPECT_TRUE(items(window.List3).empty());
    tree.folder("a/cur/one/inner");

    window.Dir2.set_Path(text(drive_a / "cur"));
    EXPECT_EQ(items(window.List2), std::vector<std::string>{text(drive_a / "cur" / "one")});
    window.Dir2.set_Path(window.Dir2.List(0));
    EXPECT_EQ(items(window.List2),
              std::vector<std::string>{text(drive_a / "cur" / "one" / "inner")});
    EXPECT_EQ(window.List1.ListCount(), 2);
    EXPECT_EQ(window.List3.ListCount(), 0);
    EXPECT_EQ(window.Label1.Caption(), "2   folder");

    window.Dir3.set_Path(text(drive_b));
    window.Dir3.set_Path(text(drive_a / "music"));
    window.Dir3.set_Path(text(drive_b));
    EXPECT_EQ(window.List3.ListCount(), 3);

    window.Dir1.set_Path(text(drive_a / "music" / "pop"));
    EXPECT_EQ(window.List1.ListCount(), 0);
    EXPECT_EQ(window.Label1.Caption(), "0   folder");
}

}  // namespace
}  // namespace window::testing
