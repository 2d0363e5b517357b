// What the user does with the drive and folder lists on the screen: the
// messages that clicks and keys send.
#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/win32/message_box_closer.h"
#include "tests/win32/win32_window_fixture.h"
#include "win32/wide_text.h"

namespace listsong_win32::testing {
namespace {

std::vector<std::string> lines(HWND list) {
    std::vector<std::string> texts;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring line(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1,
                          L'\0');
        line.resize(static_cast<std::size_t>(
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()))));
        texts.push_back(utf8_of(line));
    }
    return texts;
}

WPARAM line_of(HWND list, const std::string& text) {
    const std::vector<std::string> all = lines(list);
    const auto found = std::find(all.begin(), all.end(), text);
    if (found == all.end()) {
        throw std::runtime_error("the list shows no line " + text);
    }
    return static_cast<WPARAM>(found - all.begin());
}

// The mouse's messages of a double-click on a line of a list box.
void double_click(HWND list, WPARAM line) {
    RECT item{};
    SendMessageW(list, LB_GETITEMRECT, line, reinterpret_cast<LPARAM>(&item));
    const LPARAM point = MAKELPARAM(item.left + 30, (item.top + item.bottom) / 2);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageW(list, WM_LBUTTONUP, 0, point);
    SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
    SendMessageW(list, WM_LBUTTONUP, 0, point);
}

class FolderListsTest : public Win32WindowTest {
  protected:
    FolderListsTest() {
        tree.folder("a/music/midi/01");
        tree.folder("a/music/midi/02");
        tree.folder("a/music/cur");
        tree.folder("b/karaoke/x");
        tree.folder("b/top");
    }
};

TEST_F(FolderListsTest, ShowsAncestorsFromTheDriveRootThenSubFoldersIndented) {
    open_window();
    const HWND dir1 = control("Dir1");
    EXPECT_EQ(lines(dir1), (std::vector<std::string>{text(drive_a), "music", "cur", "midi"}));
    EXPECT_EQ(SendMessageW(dir1, LB_GETCURSEL, 0, 0), 1);  // music, the current folder
    std::vector<LRESULT> depths;
    for (WPARAM i = 0; i < 4; ++i) {
        depths.push_back(SendMessageW(dir1, LB_GETITEMDATA, i, 0));
    }
    EXPECT_EQ(depths, (std::vector<LRESULT>{0, 1, 2, 2}));
}

TEST_F(FolderListsTest, DoubleClickOpensAFolderAndList1Follows) {
    open_window();
    const HWND dir1 = control("Dir1");
    double_click(dir1, line_of(dir1, "midi"));

    EXPECT_EQ(model->Dir1.Path(), text(drive_a / "music/midi"));
    EXPECT_EQ(lines(control("List1")), (std::vector<std::string>{text(drive_a / "music/midi/01"),
                                                                 text(drive_a / "music/midi/02")}));
    EXPECT_EQ(window_text(control("Label1")), "2   folder");
    EXPECT_EQ(lines(dir1), (std::vector<std::string>{text(drive_a), "music", "midi", "01", "02"}));
    EXPECT_EQ(SendMessageW(dir1, LB_GETCURSEL, 0, 0), 2);
    EXPECT_TRUE(lines(control("List2")).empty());

    // Back up to the drive's root.
    double_click(dir1, line_of(dir1, text(drive_a)));
    EXPECT_EQ(model->Dir1.Path(), text(drive_a));
    EXPECT_EQ(lines(control("List1")), (std::vector<std::string>{text(drive_a / "music")}));
}

TEST_F(FolderListsTest, ArrowKeysMoveAndEnterOpens) {
    open_window();
    const HWND dir2 = control("Dir2");
    press_key(dir2, VK_DOWN);
    EXPECT_EQ(lines(dir2)[static_cast<std::size_t>(SendMessageW(dir2, LB_GETCURSEL, 0, 0))], "cur");
    EXPECT_EQ(model->Dir2.Path(), text(drive_a / "music"));

    press_key(dir2, VK_RETURN);
    EXPECT_EQ(model->Dir2.Path(), text(drive_a / "music/cur"));
    EXPECT_TRUE(lines(control("List2")).empty());
    EXPECT_EQ(lines(control("List1")).size(), 2U);  // Dir1 still on music
}

TEST_F(FolderListsTest, ChoosingADriveRefreshesAllThreeLists) {
    open_window();
    const HWND drives = control("Drive1");
    ASSERT_EQ(SendMessageW(drives, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(window_text(drives), drive_a_text);
    press_key(drives, VK_DOWN);

    EXPECT_EQ(model->Drive1.Drive(), drive_b_text);
    EXPECT_EQ(window_text(drives), drive_b_text);
    const std::vector<std::string> on_b{text(drive_b / "karaoke"), text(drive_b / "top")};
    EXPECT_EQ(lines(control("List1")), on_b);
    EXPECT_EQ(lines(control("List2")), on_b);
    EXPECT_EQ(lines(control("List3")), on_b);
    EXPECT_EQ(lines(control("Dir3")), (std::vector<std::string>{text(drive_b), "karaoke", "top"}));
}

TEST_F(FolderListsTest, ADriveThatIsNotReadyGivesWayToTheDriveOfDir1) {
    open_window();
    toolkit.set_drive_ready(drive_b, false);
    const MessageBoxCloser closer;
    press_key(control("Drive1"), VK_DOWN);

    EXPECT_EQ(model->Drive1.Drive(), drive_a_text);
    EXPECT_EQ(window_text(control("Drive1")), drive_a_text);
    EXPECT_EQ(model->Dir1.Path(), text(drive_a / "music"));
    EXPECT_TRUE(closer.seen().empty());
}

}  // namespace
}  // namespace listsong_win32::testing
