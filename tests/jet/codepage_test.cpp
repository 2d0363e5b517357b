#include "jet/codepage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <set>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

#include "locale_variables.h"

namespace {

using jet::CodePage;
using jet::CodePageError;

constexpr int kSingleByteCodePages[] = {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258};
const std::string kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

std::string byte_string(int b) {
    return std::string(1, static_cast<char>(b));
}

TEST(CodePageTest, EveryByteOfEveryPageReadsAsACharacterOfItsOwnAndWritesBack) {
    std::string all_bytes;
    for (int b = 0; b < 256; ++b)
        all_bytes += byte_string(b);
    for (const int number : kSingleByteCodePages) {
        SCOPED_TRACE("code page " + std::to_string(number));
        const CodePage& page = CodePage::get(number);
        EXPECT_EQ(page.number(), number);
        std::set<std::string> characters;
        for (int b = 0; b < 256; ++b) {
            const std::string utf8 = page.to_utf8(byte_string(b));
            EXPECT_NE(utf8, kReplacement) << "byte " << b;
            EXPECT_EQ(page.from_utf8(utf8), byte_string(b)) << "byte " << b;
            characters.insert(utf8);
        }
        EXPECT_EQ(characters.size(), 256u);
        EXPECT_EQ(page.from_utf8(page.to_utf8(all_bytes)), all_bytes);
    }
}

TEST(CodePageTest, Windows874HoldsThaiAndTheWindowsPunctuation) {
    const CodePage& thai = CodePage::get(874);
    // Thai letters from ko kai (0xA1, U+0E01) to the end of the block.
    for (int b = 0xA1; b <= 0xDA; ++b) {
        const std::string utf8 = thai.to_utf8(byte_string(b));
        const char32_t expected = 0x0E01 + (b - 0xA1);
        const std::string expected_utf8 = {static_cast<char>(0xE0 | (expected >> 12)),
                                           static_cast<char>(0x80 | ((expected >> 6) & 0x3F)),
                                           static_cast<char>(0x80 | (expected & 0x3F))};
        EXPECT_EQ(utf8, expected_utf8) << "byte " << b;
    }
    EXPECT_EQ(thai.to_utf8("\x80"), "\u20AC");
    EXPECT_EQ(thai.to_utf8("\x85"), "\u2026");
    EXPECT_EQ(thai.to_utf8("\x91\x92\x93\x94\x95\x96\x97"),
              "\u2018\u2019\u201C\u201D\u2022\u2013\u2014");
    EXPECT_EQ(thai.from_utf8("เพลง ๑๒๓"), "\xE0\xBE\xC5\xA7 \xF1\xF2\xF3");
    EXPECT_EQ(thai.to_utf8("\xE0\xBE\xC5\xA7 \xF1\xF2\xF3"), "เพลง ๑๒๓");
}

TEST(CodePageTest, Windows1252MatchesLatin1ExceptTheC1Range) {
    const CodePage& western = CodePage::get(1252);
    EXPECT_EQ(western.to_utf8("M\xE9xico D.F."), "México D.F.");
    EXPECT_EQ(western.to_utf8("\x80\x8A\x9F"), "€ŠŸ");
    EXPECT_EQ(western.from_utf8("ÿ€"), "\xFF\x80");
}

// Bytes the code pages leave unassigned, with the characters Windows gives
// them: the C1 control of the same number in 0x80-0x9F, private-use
// characters elsewhere, and a Hebrew point in 1255.
TEST(CodePageTest, UnassignedBytesReadAsWindowsReadsThem) {
    struct Expected {
        int code_page;
        int byte;
        std::string utf8;
    };
    for (const Expected& e : {
             Expected{1252, 0x81, "\u0081"}, Expected{1252, 0x8D, "\u008D"},
             Expected{1252, 0x8F, "\u008F"}, Expected{1252, 0x90, "\u0090"},
             Expected{1252, 0x9D, "\u009D"}, Expected{874, 0x81, "\u0081"},
             Expected{874, 0x9F, "\u009F"},  Expected{874, 0xDB, "\uF8C1"},
             Expected{874, 0xDE, "\uF8C4"},  Expected{874, 0xFC, "\uF8C5"},
             Expected{874, 0xFF, "\uF8C8"},  Expected{1251, 0x98, "\u0098"},
             Expected{1253, 0xAA, "\uF8F9"}, Expected{1253, 0xD2, "\uF8FA"},
             Expected{1253, 0xFF, "\uF8FB"}, Expected{1255, 0xCA, "\u05BA"},
             Expected{1255, 0xD9, "\uF88D"}, Expected{1255, 0xDF, "\uF893"},
             Expected{1255, 0xFB, "\uF894"}, Expected{1255, 0xFF, "\uF896"},
             Expected{1257, 0xA1, "\uF8FC"}, Expected{1257, 0xA5, "\uF8FD"},
         }) {
        const CodePage& page = CodePage::get(e.code_page);
        EXPECT_EQ(page.to_utf8(byte_string(e.byte)), e.utf8)
            << "code page " << e.code_page << " byte " << e.byte;
        EXPECT_EQ(page.from_utf8(e.utf8), byte_string(e.byte))
            << "code page " << e.code_page << " byte " << e.byte;
    }
    // A private-use character of one code page is no character of another.
    EXPECT_THROW(CodePage::get(1252).from_utf8("\uF8C5"), CodePageError);
}

#ifdef _WIN32
// The conversion Windows itself makes, byte by byte, in both directions; the
// reverse refuses best-fit substitutes and the default character.
TEST(CodePageTest, EveryByteConvertsAsWindowsConvertsIt) {
    for (const int number : kSingleByteCodePages) {
        SCOPED_TRACE("code page " + std::to_string(number));
        const CodePage& page = CodePage::get(number);
        for (int b = 0; b < 256; ++b) {
            const char byte = static_cast<char>(b);
            wchar_t wide[4] = {};
            const int wide_length =
                MultiByteToWideChar(static_cast<UINT>(number), 0, &byte, 1, wide, 4);
            ASSERT_EQ(wide_length, 1) << "byte " << b;
            char utf8[8] = {};
            const int utf8_length =
                WideCharToMultiByte(CP_UTF8, 0, wide, 1, utf8, sizeof utf8, nullptr, nullptr);
            EXPECT_EQ(page.to_utf8(byte_string(b)), std::string(utf8, utf8_length)) << "byte " << b;

            char back[4] = {};
            BOOL used_default = FALSE;
            const int back_length =
                WideCharToMultiByte(static_cast<UINT>(number), WC_NO_BEST_FIT_CHARS, wide, 1, back,
                                    sizeof back, nullptr, &used_default);
            EXPECT_FALSE(used_default) << "byte " << b;
            EXPECT_EQ(std::string(back, back_length), byte_string(b)) << "byte " << b;
        }
    }
}
#endif

TEST(CodePageTest, UnrepresentableTextIsRefusedNamingCharacterAndCodePage) {
    const auto message_of = [](int number, const std::string& utf8) {
        try {
            CodePage::get(number).from_utf8(utf8);
        } catch (const CodePageError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    const std::string thai_in_western = message_of(1252, "song เพลง");
    EXPECT_NE(thai_in_western.find("U+0E40"), std::string::npos) << thai_in_western;
    EXPECT_NE(thai_in_western.find("1252"), std::string::npos) << thai_in_western;

    const std::string accent_in_thai = message_of(874, "café");
    EXPECT_NE(accent_in_thai.find("U+00E9"), std::string::npos) << accent_in_thai;
    EXPECT_NE(accent_in_thai.find("874"), std::string::npos) << accent_in_thai;

    EXPECT_NE(message_of(1251, "\U0001F3B5").find("U+1F3B5"), std::string::npos);
    EXPECT_NE(message_of(1252, "\uFFFD").find("U+FFFD"), std::string::npos);
}

TEST(CodePageTest, CanStoreSaysWhetherTheConversionSucceeds) {
    EXPECT_TRUE(CodePage::get(1252).can_store("Café ’€"));
    EXPECT_FALSE(CodePage::get(1252).can_store("song เพลง"));
    EXPECT_TRUE(CodePage::get(874).can_store("song เพลง ’€"));
    EXPECT_FALSE(CodePage::get(874).can_store("Café"));
    EXPECT_FALSE(CodePage::get(874).can_store("a\xC3"));  // not UTF-8
    EXPECT_TRUE(CodePage::get(874).can_store(""));
}

TEST(CodePageTest, InvalidUtf8IsRefused) {
    const CodePage& western = CodePage::get(1252);
    for (const std::string& bad : {
             std::string("\x80"),              // continuation byte first
             std::string("a\xC3"),             // truncated sequence
             std::string("\xC0\xAF"),          // over-long '/'
             std::string("\xED\xA0\x80"),      // surrogate U+D800
             std::string("\xF4\x90\x80\x80"),  // past U+10FFFF
             std::string("\xFF"),
         }) {
        EXPECT_THROW(western.from_utf8(bad), CodePageError);
    }
    EXPECT_EQ(western.from_utf8(""), "");
    EXPECT_EQ(western.from_utf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(CodePageTest, UnsupportedNumbersAreReportedByNumber) {
    for (const int number : {932, 936, 949, 950, 65001, 0, -1}) {
        EXPECT_FALSE(CodePage::supported(number));
        try {
            CodePage::get(number);
            ADD_FAILURE() << number << " accepted";
        } catch (const CodePageError& e) {
            EXPECT_NE(std::string(e.what()).find(std::to_string(number)), std::string::npos);
        }
    }
    for (const int number : kSingleByteCodePages)
        EXPECT_TRUE(CodePage::supported(number));
    EXPECT_EQ(&CodePage::get(874), &CodePage::get(874));
}

using jet_test::set_variable;

// Each test starts with the locale variables unset and ends by putting them back.
class LocaleEnvironmentTest : public ::testing::Test {
  protected:
    static int code_page_for_lang(const char* lang) {
        set_variable("LANG", lang);
        return jet::data_code_page_for_locale();
    }

    jet_test::LocaleVariables locale_;
};

#ifndef _WIN32
TEST_F(LocaleEnvironmentTest, LanguageChoosesTheDataCodePage) {
    EXPECT_EQ(jet::data_code_page_for_locale(), 1252);
    EXPECT_EQ(code_page_for_lang("th_TH.UTF-8"), 874);
    EXPECT_EQ(code_page_for_lang("th"), 874);
    EXPECT_EQ(code_page_for_lang("pl_PL.UTF-8"), 1250);
    EXPECT_EQ(code_page_for_lang("cs_CZ"), 1250);
    EXPECT_EQ(code_page_for_lang("ru_RU.UTF-8"), 1251);
    EXPECT_EQ(code_page_for_lang("sr_RS.UTF-8"), 1251);
    EXPECT_EQ(code_page_for_lang("sr_RS@latin"), 1250);
    EXPECT_EQ(code_page_for_lang("el_GR.UTF-8"), 1253);
    EXPECT_EQ(code_page_for_lang("tr_TR.UTF-8"), 1254);
    EXPECT_EQ(code_page_for_lang("he_IL.UTF-8"), 1255);
    EXPECT_EQ(code_page_for_lang("fa_IR.UTF-8"), 1256);
    EXPECT_EQ(code_page_for_lang("lt_LT.UTF-8"), 1257);
    EXPECT_EQ(code_page_for_lang("vi_VN.UTF-8"), 1258);
    EXPECT_EQ(code_page_for_lang("ja_JP.UTF-8"), 1252);  // 932 is not supported
    EXPECT_EQ(code_page_for_lang("en_US.UTF-8"), 1252);
    EXPECT_EQ(code_page_for_lang("C"), 1252);
}

TEST_F(LocaleEnvironmentTest, FirstSetVariableWins) {
    EXPECT_EQ(jet::data_code_page_source(), "the system's code page (no locale is set)");
    setenv("LANG", "ru_RU.UTF-8", 1);
    setenv("LC_CTYPE", "th_TH.UTF-8", 1);
    EXPECT_EQ(jet::data_code_page_for_locale(), 874);
    EXPECT_EQ(jet::data_code_page_source(), "the system's code page (LC_CTYPE=th_TH.UTF-8)");
    setenv("LC_ALL", "el_GR.UTF-8", 1);
    EXPECT_EQ(jet::data_code_page_for_locale(), 1253);
    EXPECT_EQ(jet::data_code_page_source(), "the system's code page (LC_ALL=el_GR.UTF-8)");
    setenv("LC_ALL", "", 1);  // set but empty counts as unset
    EXPECT_EQ(jet::data_code_page_for_locale(), 874);
}
#else
// Windows keeps the code page of text in its ANSI code page (874 on a Thai
// Windows); the locale variables, which a Windows user never sets, do not count.
TEST_F(LocaleEnvironmentTest, TheAnsiCodePageChoosesTheDataCodePageWhateverTheLanguage) {
    const int ansi = static_cast<int>(GetACP());
    const int expected = CodePage::supported(ansi) ? ansi : 1252;
    EXPECT_EQ(jet::data_code_page_for_locale(), expected);
    EXPECT_EQ(code_page_for_lang(ansi == 1251 ? "el_GR.UTF-8" : "ru_RU.UTF-8"), expected);
    set_variable("LC_ALL", ansi == 874 ? "pl_PL.UTF-8" : "th_TH.UTF-8");
    EXPECT_EQ(jet::data_code_page_for_locale(), expected);
    if (CodePage::supported(ansi)) {
        EXPECT_EQ(jet::data_code_page_source(), "the system's ANSI code page");
    }
}
#endif

}  // namespace
