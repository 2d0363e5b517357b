#include "jet/unicode.h"

#include <gtest/gtest.h>

#include "jet/ascii.h"

namespace jet {
namespace {

TEST(UnicodeTest, RecognisesValidUtf8) {
    EXPECT_TRUE(is_valid_utf8("เพลง song"));
    EXPECT_TRUE(is_valid_utf8("\xf0\x9f\x8e\xb5"));  // U+1F3B5
    EXPECT_FALSE(is_valid_utf8("\xff"));
    EXPECT_FALSE(is_valid_utf8("\xc0\xaf"));          // overlong
    EXPECT_FALSE(is_valid_utf8("\xed\xa0\x80"));      // surrogate
    EXPECT_FALSE(is_valid_utf8("\xe0\xb8"));          // cut short
    EXPECT_FALSE(is_valid_utf8("\xf4\x90\x80\x80"));  // past U+10FFFF
}

TEST(UnicodeTest, NextUtf8MovesPastOneCharacterOrStays) {
    const std::string_view text = "a\xe0\xb8\x81\xff";
    std::size_t pos = 0;
    EXPECT_EQ(next_utf8(text, pos), U'a');
    EXPECT_EQ(pos, 1u);
    EXPECT_EQ(next_utf8(text, pos), U'\u0E01');
    EXPECT_EQ(pos, 4u);
    EXPECT_EQ(next_utf8(text, pos), std::nullopt);
    EXPECT_EQ(pos, 4u);
}

TEST(UnicodeTest, AppendUtf8EncodesEveryLength) {
    std::string out;
    for (const char32_t c : {U'A', U'\u00E9', U'\u0E01', U'\U0001F3B5'}) {
        append_utf8(out, c);
    }
    EXPECT_EQ(out, "A\xc3\xa9\xe0\xb8\x81\xf0\x9f\x8e\xb5");
}

TEST(UnicodeTest, Utf16JoinsSurrogatePairsIntoUtf8) {
    std::string out = "x";
    EXPECT_TRUE(append_utf8_of_utf16(out, u"\u0E01 \U0001F3B5"));
    EXPECT_EQ(out, "x\xe0\xb8\x81 \xf0\x9f\x8e\xb5");
    EXPECT_EQ(utf8_of_utf16(u""), "");
}

TEST(UnicodeTest, LoneSurrogatesBecomeReplacementCharacters) {
    const std::u16string high_alone = {u'a', char16_t(0xD83C), u'b'};
    const std::u16string low_alone = {char16_t(0xDFB5)};
    const std::u16string high_at_end = {u'a', char16_t(0xD83C)};
    for (const std::u16string& text : {high_alone, low_alone, high_at_end}) {
        std::string out;
        EXPECT_FALSE(append_utf8_of_utf16(out, text));
        EXPECT_NE(out.find("\xef\xbf\xbd"), std::string::npos);
        EXPECT_TRUE(is_valid_utf8(out));
    }
    EXPECT_EQ(utf8_of_utf16(high_alone),
              "a\xef\xbf\xbd"
              "b");
}

TEST(UnicodeTest, Utf8BecomesUtf16WithInvalidBytesReplaced) {
    std::u16string out;
    append_utf16_of_utf8(out, "\xe0\xb8\x81\xf0\x9f\x8e\xb5");
    EXPECT_EQ(out, u"\u0E01\U0001F3B5");
    out.clear();
    append_utf16_of_utf8(out,
                         "a\xff"
                         "b");
    EXPECT_EQ(out, u"a\uFFFDb");
}

TEST(UnicodeTest, Utf8AndUtf16RoundTrip) {
    const std::string text = "Song เพลง \U0001F3B5 é";
    std::u16string utf16;
    append_utf16_of_utf8(utf16, text);
    EXPECT_EQ(utf8_of_utf16(utf16), text);
}

TEST(AsciiTest, CaseOfAsciiLettersAloneIsIgnored) {
    EXPECT_TRUE(ascii_iequal("MSysObjects", "msysobjects"));
    EXPECT_TRUE(ascii_iequal("", ""));
    EXPECT_FALSE(ascii_iequal("Song", "Songs"));
    EXPECT_FALSE(ascii_iequal("\xc9", "\xe9"));  // É and é in code page 1252
    EXPECT_FALSE(ascii_iequal("@", "`"));
}

}  // namespace
}  // namespace jet
