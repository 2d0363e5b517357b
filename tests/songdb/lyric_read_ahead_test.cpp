#include "songdb/lyric_read_ahead.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/window/temp_tree.h"

namespace songdb {
namespace {

using window::testing::shown_path;
using window::testing::TempTree;

// A folder of `count` lyric files "<i>.Lyr" whose first line is "Title <i>";
// the file names as the writer gives them to the read-ahead.
std::vector<std::string> lyric_folder(const TempTree& tree, int count) {
    std::vector<std::string> files;
    for (int i = 0; i < count; ++i) {
        const std::string name = std::to_string(i) + ".Lyr";
        files.push_back(shown_path(
            tree.file(name, "Title " + std::to_string(i) + "\r\nSinger " + std::to_string(i))));
    }
    return files;
}

TEST(LyricReadAheadTest, GivesEachTakenFileItsOwnLinesAcrossSkipsLongerThanTheReadAhead) {
    TempTree tree;
    const std::vector<std::string> files = lyric_folder(tree, 300);
    LyricReadAhead lyrics(files, 2);
    for (std::size_t index : {2u, 3u, 5u, 6u, 150u, 151u, 299u}) {
        const LyricLines lines = lyrics.take(index, files[index]);
        ASSERT_EQ(lines.lines.size(), 2u);
        EXPECT_EQ(lines.lines[0], "Title " + std::to_string(index));
        EXPECT_EQ(lines.lines[1], "Singer " + std::to_string(index));
    }
}

TEST(LyricReadAheadTest, AFileThatCannotBeReadFailsWhenTakenAndOnlyThen) {
    TempTree tree;
    std::vector<std::string> files = lyric_folder(tree, 4);
    files[1] = shown_path(tree.root() / "missing.Lyr");
    files[2] = shown_path(tree.folder("a folder.Lyr"));
    LyricReadAhead lyrics(files, 0);
    EXPECT_EQ(lyrics.take(0, files[0]).lines[0], "Title 0");
    try {
        lyrics.take(2, files[2]);
        FAIL() << "a folder was read as a lyric file";
    } catch (const LyricError& e) {
        EXPECT_NE(std::string(e.what()).find("is a folder, not a lyric file"), std::string::npos)
            << e.what();
    }
    EXPECT_EQ(lyrics.take(3, files[3]).lines[0], "Title 3");
}

TEST(LyricReadAheadTest, AFileOtherThanTheOneReadAheadIsReadWhenTaken) {
    TempTree tree;
    const std::vector<std::string> files = lyric_folder(tree, 3);
    const std::string other = shown_path(tree.file("other/0.Lyr", "Another title\n"));
    LyricReadAhead lyrics(files, 0);
    EXPECT_EQ(lyrics.take(0, other).lines[0], "Another title");
    EXPECT_EQ(lyrics.take(1, files[1]).lines[0], "Title 1");
    EXPECT_EQ(lyrics.take(5, other).lines[0], "Another title");
}

TEST(LyricReadAheadTest, EndsAtOnceWhenLeftWithFilesUnread) {
    TempTree tree;
    const std::vector<std::string> files = lyric_folder(tree, 500);
    for (int round = 0; round < 20; ++round) {
        LyricReadAhead lyrics(files, 0);
        if (round % 2 == 1) {
            EXPECT_EQ(lyrics.take(1, files[1]).lines[0], "Title 1");
        }
    }
}

}  // namespace
}  // namespace songdb
