#include "songdb/lyric_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <istream>
#include <streambuf>
#include <string>
#include <utility>
#include <vector>

#include "tests/window/temp_tree.h"

namespace songdb {
namespace {

using Lines = std::vector<std::string>;

constexpr std::size_t kLineBound = 64 * 1024;
constexpr std::uint64_t kHugeInput = std::uint64_t{512} << 20;

// An input of `size` bytes made as it is read: `start`, then `pattern` over
// and over. It counts the bytes handed out, so a test sees how much of it the
// reader took.
class GeneratedInput : public std::streambuf {
  public:
    GeneratedInput(std::string start, std::string pattern, std::uint64_t size)
        : start_(std::move(start)), pattern_(std::move(pattern)), size_(size) {}

    std::uint64_t handed_out() const { return handed_out_; }

  protected:
    int_type underflow() override {
        if (handed_out_ >= size_) {
            return traits_type::eof();
        }
        const auto count =
            static_cast<std::size_t>(std::min<std::uint64_t>(chunk_.size(), size_ - handed_out_));
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint64_t at = handed_out_ + i;
            chunk_[i] =
                at < start_.size() ? start_[at] : pattern_[(at - start_.size()) % pattern_.size()];
        }
        setg(chunk_.data(), chunk_.data(), chunk_.data() + count);
        handed_out_ += count;
        return traits_type::to_int_type(chunk_[0]);
    }

  private:
    std::string start_;
    std::string pattern_;
    std::uint64_t size_;
    std::uint64_t handed_out_ = 0;
    std::string chunk_ = std::string(4096, '\0');
};

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

TEST_F(LyricReaderTest, FilesWithoutAMarkAreUtf8WhenValidElseBytesOfTheDataCodePage) {
    // "เพลง" and "นักร้อง" in Windows-874, then the same in UTF-8 without a mark.
    EXPECT_EQ(read("\xE0\xBE\xC5\xA7\r\n\xB9\xD1\xA1\xC3\xE9\xCD\xA7\r\n"),
              (Lines{"เพลง", "นักร้อง"}));
    EXPECT_EQ(read("เพลง\r\nนักร้อง\r\n"), (Lines{"เพลง", "นักร้อง"}));
    EXPECT_EQ(read("Title\nนักร้อง"), (Lines{"Title", "นักร้อง"}))
        << "one line beyond ASCII decides for the file";
    EXPECT_EQ(read("ok\n\xFC\n"), (Lines{"ok", "\uF8C5"}))
        << "a byte 874 leaves undefined reads as Windows reads it";
    // "เก" in 874 is E0 A1: the start of a UTF-8 character, cut short.
    EXPECT_EQ(read("\xE0\xA1\n"), Lines{"เก"});
    EXPECT_EQ(read("เพลง\n\xE0\xBE\n"), (Lines{thai.to_utf8("เพลง"), "เพ"}))
        << "a file is one encoding: a line that is not UTF-8 makes all of it 874";
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

// Lines as a short text to compare: a long line by its length and a hash of
// its bytes, so that a failure does not print megabytes.
std::string summary(const Lines& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line.size() <= 32 ? "\"" + line + "\""
                                  : std::to_string(line.size()) + " bytes hashing to " +
                                        std::to_string(std::hash<std::string>{}(line));
        text += "; ";
    }
    return text;
}

// Reads the lines of a generated input, as a summary, and checks that no
// more of it was taken than `needed` bytes and the buffer the stream reads
// ahead.
std::string read_generated(GeneratedInput& input, std::uint64_t needed, std::size_t max_lines = 3) {
    std::istream in(&input);
    const Lines lines = read_lyric_lines(in, "song.Lyr", jet::CodePage::get(874), max_lines);
    EXPECT_LE(input.handed_out(), needed + 4096) << "the reader went on past the lines it needs";
    return summary(lines);
}

TEST(LyricReaderBoundTest, AHugeLineIsCutAtTheBoundAndIsTheLastLineRead) {
    GeneratedInput no_line_end("", "x", kHugeInput);
    EXPECT_EQ(read_generated(no_line_end, kLineBound + 1), summary({std::string(kLineBound, 'x')}));

    GeneratedInput huge_lyrics("Title\r\nArtist\r\n", "x", kHugeInput);
    EXPECT_EQ(read_generated(huge_lyrics, 15 + kLineBound + 1),
              summary({"Title", "Artist", std::string(kLineBound, 'x')}));

    GeneratedInput long_title(std::string(2 * kLineBound, 'x') + "\nArtist\n", "y", kHugeInput);
    EXPECT_EQ(read_generated(long_title, kLineBound + 1), summary({std::string(kLineBound, 'x')}))
        << "the rest of a cut line is not read to find the next line";

    GeneratedInput two_lines_needed("Title\nArtist\n", "x", kHugeInput);
    EXPECT_EQ(read_generated(two_lines_needed, 13, 2), summary({"Title", "Artist"}));
}

TEST(LyricReaderBoundTest, ALineIsCutAtACharacterBoundary) {
    // "เ" is three bytes in UTF-8: 21845 of them fill 65535 bytes of the bound.
    GeneratedInput utf8("\xEF\xBB\xBF", "\xE0\xB9\x80", 3 + kHugeInput / 3 * 3);
    std::string expected;
    for (std::size_t i = 0; i < kLineBound / 3; ++i) {
        expected += "\xE0\xB9\x80";
    }
    EXPECT_EQ(read_generated(utf8, 3 + kLineBound + 1), summary({expected}));

    // "A" then U+1F600 over and over in UTF-16: two bytes, then four each;
    // 16383 of them fill 65534 bytes, and the next would not fit whole.
    GeneratedInput utf16(std::string("\xFF\xFE\x41\x00", 4), std::string("\x3D\xD8\x00\xDE", 4),
                         4 + kHugeInput / 4 * 4);
    expected = "A";
    for (std::size_t i = 0; i < (kLineBound - 2) / 4; ++i) {
        expected += "\U0001F600";
    }
    EXPECT_EQ(read_generated(utf16, 2 + kLineBound + 4), summary({expected}));
}

TEST(LyricReaderBoundTest, ALineOfExactlyTheBoundIsWhole) {
    GeneratedInput input(std::string(kLineBound, 'x') + "\nArtist\n", "x", kLineBound + 8);
    EXPECT_EQ(read_generated(input, kLineBound + 8),
              summary({std::string(kLineBound, 'x'), "Artist"}));
}

TEST_F(LyricReaderTest, AGigabyteFileWithoutLineEndsIsReadOnlyAsFarAsTheBound) {
    const std::filesystem::path path = tree.file("huge.Lyr");
    std::filesystem::resize_file(path, std::uint64_t{1} << 30);  // sparse: all zero bytes
    EXPECT_EQ(summary(read_lyric_lines(path, thai)), summary({std::string(kLineBound, '\0')}));
}

TEST_F(LyricReaderTest, AMissingFileOrAFolderIsAnErrorNamingIt) {
    try {
        read_lyric_lines(tree.root() / "absent.Lyr", thai);
        FAIL() << "no error";
    } catch (const LyricError& e) {
        EXPECT_NE(std::string(e.what()).find("absent.Lyr"), std::string::npos);
    }
    try {
        read_lyric_lines(tree.folder("dir.Lyr"), thai);
        FAIL() << "no error";
    } catch (const LyricError& e) {
        EXPECT_NE(std::string(e.what()).find("dir.Lyr: is a folder, not a lyric file"),
                  std::string::npos)
            << e.what();
    }
}

}  // namespace
}  // namespace songdb
