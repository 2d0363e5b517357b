#include "songdb/lyric_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/window/temp_tree.h"

namespace songdb {
namespace {

using Lines = std::vector<std::string>;

class LyricReaderTest : public ::testing::Test {
  protected:
    Lines read(std::string_view contents) {
        return read_lyric_lines(tree.file("song.Lyr", contents), thai);
    }

    window::testing::TempTree tree;
    const jet::CodePage& thai = jet::CodePage::get(874);
};

TEST_F(LyricReaderTest, LineEndsOfEveryKindAndAtMostThreeLines) {
    EXPECT_EQ(read(""), Lines{});
    EXPECT_EQ(read("only"), Lines{"only"});
    EXPECT_EQ(read("a\r\nb\nc\rd\r\n"), (Lines{"a", "b", "c"}));
    EXPECT_EQ(read("a\r\rb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(read("a\n\r\nb\n"), (Lines{"a", "", "b"}));
    EXPECT_EQ(read("  t  \r\n"), Lines{"  t  "});
    EXPECT_EQ(read("\r\n"), Lines{""});
    EXPECT_EQ(read_lyric_lines(tree.file("two.Lyr", "1\n2\n3\n"), thai, 2), (Lines{"1", "2"}));
}

TEST_F(LyricReaderTest, FilesWithoutAMarkAreBytesOfTheDataCodePage) {
    // "เพลง" and "นักร้อง" in Windows-874.
    EXPECT_EQ(read("\xE0\xBE\xC5\xA7\r\n\xB9\xD1\xA1\xC3\xE9\xCD\xA7\r\n"),
              (Lines{"เพลง", "นักร้อง"}));
    EXPECT_THROW(read("ok\n\xFC\n"), LyricError) << "0xFC is no character of code page 874";
}

TEST_F(LyricReaderTest, ByteOrderMarksSelectUtf8AndUtf16) {
    EXPECT_EQ(read("\xEF\xBB\xBF\xE0\xB9\x80\xE0\xB8\x9E\r\nB"), (Lines{"เพ", "B"}));
    // "เพ\r\nA\rx" in UTF-16, then a character outside the first plane.
    EXPECT_EQ(read(std::string("\xFF\xFE\x40\x0E\x1E\x0E\r\0\n\0A\0\r\0x\0", 16)),
              (Lines{"เพ", "A", "x"}));
    EXPECT_EQ(read(std::string("\xFE\xFF\x0E\x40\0\n\xD8\x3D\xDE\x00", 10)),
              (Lines{"เ", "\U0001F600"}));
    EXPECT_EQ(read(std::string("\xFF\xFE\x0A\x0D\n\0", 6)), (Lines{"\u0D0A"}))
        << "a CR or LF byte inside a UTF-16 character ends no line";
    EXPECT_THROW(read(std::string("\xFF\xFE\x41\0\x42", 5)), LyricError);
    EXPECT_THROW(read(std::string("\xFF\xFE\x00\xDC", 4)), LyricError);
    EXPECT_THROW(read("\xEF\xBB\xBF\xE0\xB9\n"), LyricError);
}

TEST_F(LyricReaderTest, AMissingFileOrAFolderIsAnErrorNamingIt) {
    try {
        read_lyric_lines(tree.root() / "absent.Lyr", thai);
        FAIL() << "no error";
    } catch (const LyricError& e) {
        EXPECT_NE(std::string(e.what()).find("absent.Lyr"), std::string::npos);
    }
    EXPECT_THROW(read_lyric_lines(tree.folder("dir.Lyr"), thai), LyricError);
}

}  // namespace
}  // namespace songdb
