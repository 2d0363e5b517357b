// The judge of single texts: Thai written in 874 reads as Thai; text of the
// other code pages, read byte for byte as 874, does not.
#include "jet/thai_874_text.h"

#include <gtest/gtest.h>

#include <string>

#include "jet/codepage.h"

namespace {

using jet::ThaiEvidence;

ThaiEvidence evidence_of(int code_page, const std::string& utf8) {
    return jet::thai_874_evidence(jet::CodePage::get(code_page).from_utf8(utf8));
}

TEST(Thai874TextTest, ThaiTitlesArtistsAndPathsReadAsThai) {
    for (const char* thai : {
             "รักเธอ",
             "นักร้องหญิง",
             "ลาก่อน",
             "ท้องนา",
             "ลูกทุ่ง",
             "น้ำตา",
             "ค่ะ",
             "เกาะสมุย",
             "ไม่เป็นไร",
             "ผู้หญิง",
             "ที่",
             "พันธุ์",
             "กษัตริย์",
             "ฤๅษี",
             "ดีๆ",
             "ดี ๆ",
             "ฯลฯ",
             "กรุงเทพฯ",
             "สายัณห์ สัญญา",
             "พุ่มพวง ดวงจันทร์",
             "ราคา ๑๐๐ ฿",
             "ปี พ.ศ. ๒๕๖๗",
             "“คิดถึง” (Remix)",
             "เพลงรัก Vol.2",
             "ใจเอ๋ย – Live",
             "0001 รักเธอ",
             R"(C:\Karaoke\Song\เพลงไทย\0001 รักเธอ.mid)",
             "เพลงA",
         }) {
        EXPECT_EQ(evidence_of(874, thai), ThaiEvidence::Thai) << thai;
    }
}

TEST(Thai874TextTest, WesternTextInItsOwnCodePageIsNotThai) {
    for (const char* western : {
             "Café del Mar",
             "Beyoncé",
             "Mötley Crüe",
             "Sigur Rós",
             "Björk",
             "Mañana",
             "Straße",
             "Ça plane pour moi",
             "Déjà vu",
             "Æon",
             "Ángel",
             "Über",
             "naïve",
             "Lakkalikööri",
             "Smörgåsbord",
             "Édith Piaf",
             "São Paulo",
             "5ª Ave.",
             "£5",
             "© 2001",
             "½",
             "Œuvre",
             "Ñandú",
         }) {
        EXPECT_EQ(evidence_of(1252, western), ThaiEvidence::NotThai) << western;
    }
}

TEST(Thai874TextTest, OtherScriptsInTheirCodePagesAreNotThai) {
    EXPECT_EQ(evidence_of(1251, "Привет"), ThaiEvidence::NotThai);
    EXPECT_EQ(evidence_of(1251, "Калинка"), ThaiEvidence::NotThai);
    EXPECT_EQ(evidence_of(1251, "Москва"), ThaiEvidence::NotThai);
    EXPECT_EQ(evidence_of(1253, "Καλημέρα"), ThaiEvidence::NotThai);
    EXPECT_EQ(evidence_of(1255, "שלום"), ThaiEvidence::NotThai);
    EXPECT_EQ(evidence_of(1256, "مرحبا"), ThaiEvidence::NotThai);
    EXPECT_EQ(evidence_of(1250, "Łódź"), ThaiEvidence::NotThai);
}

TEST(Thai874TextTest, AsciiAndThePunctuationBothCodePagesShareSayNothing) {
    EXPECT_EQ(jet::thai_874_evidence(""), ThaiEvidence::None);
    EXPECT_EQ(jet::thai_874_evidence("Yesterday - The Beatles"), ThaiEvidence::None);
    // ’ “ ” – … € and the no-break space are the same bytes in 874 and 1252.
    EXPECT_EQ(evidence_of(1252, "Don’t “Stop” – now… 5€"), ThaiEvidence::None);
}

TEST(Thai874TextTest, ThaiCharactersOutOfOrderAreNotThai) {
    const auto judge = [](const std::string& bytes) { return jet::thai_874_evidence(bytes); };
    EXPECT_EQ(judge("\xA1\xE8"), ThaiEvidence::Thai);      // ก่: a tone mark on a consonant
    EXPECT_EQ(judge("\xA1\xD4\xE8"), ThaiEvidence::Thai);  // กิ่: a vowel, then a tone mark
    EXPECT_EQ(judge("\xA1\xD4\xE8\xE8"), ThaiEvidence::NotThai);  // three marks on one consonant
    EXPECT_EQ(judge("\xE8\xA1\xA1"), ThaiEvidence::NotThai);      // a mark on nothing
    EXPECT_EQ(judge("\xA1\xA1 \xE8"), ThaiEvidence::NotThai);     // a mark after a space
    EXPECT_EQ(judge("\xF1\xE8\xA1"), ThaiEvidence::NotThai);      // a mark on a digit
    EXPECT_EQ(judge("\xA1\xA1\xE0"), ThaiEvidence::NotThai);      // a leading vowel at the end
    EXPECT_EQ(judge("\xE0\xD2\xA1"), ThaiEvidence::NotThai);      // a leading vowel before a vowel
    EXPECT_EQ(judge("\xD2\xA1\xA1"), ThaiEvidence::NotThai);      // a following vowel first
    EXPECT_EQ(judge("\xA1\xA1\xFC"), ThaiEvidence::NotThai);      // a byte 874 leaves unassigned
    EXPECT_EQ(judge("\xA1\xA1\x81"), ThaiEvidence::NotThai);      // one in 0x80-0x9F
}

TEST(Thai874TextTest, ALoneThaiCharacterAgainstALatinLetterIsNotThai) {
    const auto judge = [](const std::string& bytes) { return jet::thai_874_evidence(bytes); };
    EXPECT_EQ(judge("ab\xA1\xA1"), ThaiEvidence::Thai);          // a word after Latin letters
    EXPECT_EQ(judge("ab\xA1 \xA1\xA1"), ThaiEvidence::NotThai);  // one consonant after them
    EXPECT_EQ(judge("\xA1"
                    "ab \xA1\xA1"),
              ThaiEvidence::NotThai);                                // one before them
    EXPECT_EQ(judge("ab\xF1\xF2 \xA1\xA1"), ThaiEvidence::NotThai);  // digits only
    EXPECT_EQ(judge("1 \xA1 2"), ThaiEvidence::NotThai);             // no word anywhere
}

}  // namespace
