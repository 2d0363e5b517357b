#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

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

    // A name that starts with a dot hides an entry on Linux; on Windows only
    // the Hidden attribute does, which this sets on `dotted`.
    static void hide(const fs::path& dotted) {
#ifdef _WIN32
        SetFileAttributesW(dotted.c_str(), FILE_ATTRIBUTE_HIDDEN);
#else
        static_cast<void>(dotted);
#endif
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
#ifdef _WIN32
    // Names that differ only in case name one folder on Windows.
    const std::vector<std::string> names = {"b", "a", "C", "Ab"};
    const std::vector<std::string> listed = {"a", "Ab", "b", "C"};
#else
    const std::vector<std::string> names = {"b", "B", "a", "C", "Ab", "aB"};
    const std::vector<std::string> listed = {"a", "Ab", "aB", "B", "b", "C"};
#endif
    for (const std::string& name : names) {
        tree.folder("root/" + name);
    }
    hide(tree.folder("root/.hidden"));
    tree.file("root/a-file");
    tree.folder("root/a/deeper");
    const fs::path root = tree.root() / "root";

    FolderList list = folder_list(root.string() + "/");
    EXPECT_EQ(list.Path(), root.string());
    std::vector<std::string> expected;
    for (const std::string& name : listed) {
        expected.push_back((root / name).string());
    }
    EXPECT_EQ(items(list), expected);
    EXPECT_THROW(list.List(static_cast<ListIndex>(listed.size())), std::out_of_range);
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
    const fs::path deeper = tree.folder("other/deep/er");
    const fs::path songs = tree.folder("home/songs");

    FolderList list = folder_list(songs);
    list.set_Path(other_text);
    EXPECT_EQ(list.Path(), other_drive.string());
    list.set_Path(deeper.string());
    list.set_Path(drive_text);
    EXPECT_EQ(list.Path(), songs.string());
    list.set_Path(other_text);
    EXPECT_EQ(list.Path(), deeper.string());

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

    const fs::path gone = tree.folder("ไม่มีแล้ว");  // "no longer there"
    fs::remove(gone);
    try {
        list.set_Path(shown_path(gone));
        FAIL() << "a missing folder was opened";
    } catch (const FolderError& error) {
        EXPECT_NE(std::string(error.what()).find(shown_path(gone)), std::string::npos)
            << error.what();
    }
    EXPECT_THROW(list.set_Path(tree.file("plain-file").string()), FolderError);
    EXPECT_EQ(list.Path(), start.string());
    EXPECT_EQ(changes, 0);
}

// Linux names are bytes that need not be UTF-8, and a folder may be made
// unreadable through its permissions. Windows names are UTF-16, which always
// converts, and std::filesystem sets no permission there but Read-only.
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
    for (const char* name : {"b.MID", "A.mid", "c.Mid", "song.midi", "x.cur"}) {
        tree.file(std::string("songs/") + name);
    }
    hide(tree.file("songs/.hidden.mid"));
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

#ifndef _WIN32
// A link is listed as what it leads to; a link to nothing is neither a folder
// nor a file. (Making links on Windows needs a privilege, so only POSIX.)
TEST_F(FolderListTest, LinksAreListedAsWhatTheyLeadTo) {
    const fs::path folder = tree.folder("links");
    fs::create_directory_symlink(tree.folder("elsewhere/sub"), folder / "to-folder");
    fs::create_symlink(tree.file("elsewhere/song.mid"), folder / "to-file.mid");
    fs::create_symlink(folder / "absent", folder / "to-nothing.mid");
    fs::create_directory_symlink(folder / "absent", folder / "to-no-folder");

    FolderList list = folder_list(folder);
    EXPECT_EQ(items(list), std::vector<std::string>{shown_path(folder / "to-folder")});
    FileList midi(control_design("MidFile"));
    midi.set_Path(folder.string());
    ASSERT_EQ(midi.ListCount(), 1);
    EXPECT_EQ(midi.List(0), "to-file.mid");
}
#endif

// The number of files of the large folder: 40,000, more than the 32,767 items
// a list box once held, unless LISTSONG_TEST_LARGE_FOLDER_FILES names fewer.
// scripts/test-windows does: Wine searches the whole folder for every name it
// creates there, so that 40,000 files take more than an hour to make.
int large_folder_files() {
    const char* files = std::getenv("LISTSONG_TEST_LARGE_FOLDER_FILES");
    return files != nullptr ? std::atoi(files) : 40000;
}

TEST_F(FolderListTest, FileListHoldsEveryFileOfALargeFolder) {
    const fs::path folder = tree.folder("many");
    const int files = large_folder_files();
    for (int i = 0; i < files; ++i) {
        std::ofstream(folder / (std::to_string(100000 + i) + ".mid"));
    }
    FileList midi(control_design("MidFile"));
    midi.set_Path(folder.string());
    ASSERT_EQ(midi.ListCount(), files);
    EXPECT_EQ(midi.List(files - 1), std::to_string(100000 + files - 1) + ".mid");
}

}  // namespace
}  // namespace window::testing
