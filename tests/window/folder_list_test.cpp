#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/window/headless_toolkit.h"
#include "tests/window/temp_tree.h"
#include "window/design_table.h"
#include "window/errors.h"
#include "window/file_list.h"
#include "window/folder_list.h"

namespace window::testing {
namespace {

namespace fs = std::filesystem;

class FolderListTest : public ::testing::Test {
  protected:
    FolderListTest() : toolkit(tree.root(), tree.root()) {
        drive_text = toolkit.add_drive(tree.root(), "T");
    }

    FolderList folder_list(const fs::path& start) {
        return FolderList(control_design("Dir1"), toolkit, start);
    }

    static std::vector<std::string> items(const FolderList& list) {
        std::vector<std::string> result;
        for (ListIndex i = 0; i < list.ListCount(); ++i) {
            result.push_back(list.List(i));
        }
        return result;
    }

    TempTree tree;
    HeadlessToolkit toolkit;
    std::string drive_text;
};

TEST_F(FolderListTest, ListsVisibleSubFoldersAsFullPathsInCaseBlindOrder) {
    for (const char* name : {"b", "B", "a", "C", ".hidden", "Ab", "aB"}) {
        tree.folder(std::string("root/") + name);
    }
    tree.file("root/a-file");
    tree.folder("root/a/deeper");
    const fs::path root = tree.root() / "root";

    FolderList list = folder_list(root.string() + "/");
    EXPECT_EQ(list.Path(), root.string());
    const std::vector<std::string> expected = {(root / "a").string(),  (root / "Ab").string(),
                                               (root / "aB").string(), (root / "B").string(),
                                               (root / "b").string(),  (root / "C").string()};
    EXPECT_EQ(items(list), expected);
    EXPECT_THROW(list.List(6), std::out_of_range);
    EXPECT_THROW(list.List(-1), std::out_of_range);
}

TEST_F(FolderListTest, ChangeIsRaisedOnlyWhenTheFolderChanges) {
    const fs::path one = tree.folder("one");
    const fs::path two = tree.folder("two");
    FolderList list = folder_list(one);
    int changes = 0;
    list.on_change([&] { ++changes; });

    list.set_Path(one.string());
    list.set_Path(one.string() + "/");
    list.set_Path((one / ".").string());
    EXPECT_EQ(changes, 0);
    list.set_Path(two.string());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(list.Path(), two.string());
}

TEST_F(FolderListTest, DriveTextOpensTheLastFolderOnThatDriveElseItsRoot) {
    const fs::path other_drive = tree.folder("other");
    const std::string other_text = toolkit.add_drive(other_drive, "O");
    tree.folder("other/deep/er");
    tree.folder("home/songs");

    FolderList list = folder_list(tree.root() / "home/songs");
    list.set_Path(other_text);
    EXPECT_EQ(list.Path(), other_drive.string());
    list.set_Path((other_drive / "deep/er").string());
    list.set_Path(drive_text);
    EXPECT_EQ(list.Path(), (tree.root() / "home/songs").string());
    list.set_Path(other_text);
    EXPECT_EQ(list.Path(), (other_drive / "deep/er").string());

    list.set_Path(drive_text);
    fs::remove_all(other_drive / "deep");
    list.set_Path(other_text);
    EXPECT_EQ(list.Path(), other_drive.string());
}

TEST_F(FolderListTest, FailedWritesKeepTheFolderAndNameIt) {
    const fs::path start = tree.folder("start");
    const fs::path other_drive = tree.folder("unready");
    const std::string unready = toolkit.add_drive(other_drive, "U");
    toolkit.set_drive_ready(other_drive, false);
    FolderList list = folder_list(start);
    int changes = 0;
    list.on_change([&] { ++changes; });

    EXPECT_THROW(list.set_Path(unready), DriveNotReady);

    const fs::path gone = tree.folder("gone");
    fs::remove(gone);
    try {
        list.set_Path(gone.string());
        FAIL() << "a missing folder was opened";
    } catch (const FolderError& error) {
        EXPECT_NE(std::string(error.what()).find(gone.generic_string()), std::string::npos);
    }
    EXPECT_THROW(list.set_Path(tree.file("plain-file").string()), FolderError);
    EXPECT_EQ(list.Path(), start.string());
    EXPECT_EQ(changes, 0);
}

#ifndef _WIN32
TEST_F(FolderListTest, NameThatIsNotValidTextFailsTheWriteNamingTheFolder) {
    const fs::path odd = tree.folder("odd");
    fs::create_directory(odd / std::string("bad\xff\xfename"));
    FolderList list = folder_list(tree.folder("fine"));
    try {
        list.set_Path(odd.string());
        FAIL() << "a folder holding an invalid name was opened";
    } catch (const FolderError& error) {
        EXPECT_NE(std::string(error.what()).find(odd.string()), std::string::npos);
    }
    EXPECT_EQ(list.Path(), (tree.root() / "fine").string());

    const fs::path files = tree.folder("files");
    tree.file("files/ok.mid");
    std::ofstream(files / std::string("other\xff.txt"));
    FileList midi(control_design("MidFile"));
    midi.set_Path(files.string());
    EXPECT_EQ(midi.ListCount(), 1);
    std::ofstream(files / std::string("bad\xff.mid"));
    EXPECT_THROW(midi.set_Path(files.string()), FolderError);
    EXPECT_EQ(midi.ListCount(), 1);
}

TEST_F(FolderListTest, UnreadableFolderFailsTheWrite) {
    const fs::path locked = tree.folder("locked");
    fs::permissions(locked, fs::perms::none);
    std::error_code probe;
    fs::directory_iterator attempt(locked, probe);
    if (!probe) {
        fs::permissions(locked, fs::perms::owner_all);
        GTEST_SKIP() << "this user reads every folder (root)";
    }
    FolderList list = folder_list(tree.folder("fine"));
    EXPECT_THROW(list.set_Path(locked.string()), FolderError);
    fs::permissions(locked, fs::perms::owner_all);
}
#endif

TEST_F(FolderListTest, FileListMatchesItsPatternWithoutRegardToCase) {
    const fs::path folder = tree.folder("songs");
    for (const char* name : {"b.MID", "A.mid", "c.Mid", "song.midi", "x.cur", ".hidden.mid"}) {
        tree.file(std::string("songs/") + name);
    }
    tree.folder("songs/folder.mid");
    FileList midi(control_design("MidFile"));
    EXPECT_EQ(midi.ListCount(), 0);
    midi.set_Path(folder.string());
    ASSERT_EQ(midi.ListCount(), 3);
    EXPECT_EQ(midi.List(0), "A.mid");
    EXPECT_EQ(midi.List(1), "b.MID");
    EXPECT_EQ(midi.List(2), "c.Mid");
    EXPECT_THROW(midi.List(3), std::out_of_range);

    FileList lyrics(control_design("LyrFile"));
    tree.file("songs/one.LYR");
    tree.file("songs/two.lyr");
    lyrics.set_Path(folder.string());
    EXPECT_EQ(lyrics.ListCount(), 2);

    tree.file("songs/D.mid");
    midi.set_Path(folder.string());
    EXPECT_EQ(midi.ListCount(), 4);
    EXPECT_THROW(midi.set_Path((tree.root() / "missing").string()), FolderError);
    EXPECT_EQ(midi.Path(), folder.string());
}

TEST_F(FolderListTest, FileListHoldsMoreThan32767Files) {
    const fs::path folder = tree.folder("many");
    constexpr int kFiles = 40000;
    for (int i = 0; i < kFiles; ++i) {
        std::ofstream(folder / (std::to_string(100000 + i) + ".mid"));
    }
    FileList midi(control_design("MidFile"));
    midi.set_Path(folder.string());
    ASSERT_EQ(midi.ListCount(), kFiles);
    EXPECT_EQ(midi.List(39999), "139999.mid");
}

}  // namespace
}  // namespace window::testing
