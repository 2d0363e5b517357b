// The rules that choose a database's data code page, one by one: the page
// named, the stored text's verdict over the system's page, and the switch to
// 874 for a text being added that only 874 can store.
#include "jet/data_code_page.h"

#include <gtest/gtest.h>

#include <string>

#include "locale_variables.h"

namespace {

using jet::CodePageRule;
using jet::DataCodePage;
using jet::StoredTextVerdict;

// LANG sets the system's code page off Windows; on Windows the ANSI code page
// does, whatever LANG says, and the tests expect what it gives.
TEST(DataCodePageTest, ANamedPageStaysWhateverIsStoredOrAdded) {
    DataCodePage page = DataCodePage::named(1252);
    EXPECT_EQ(page.rule(), CodePageRule::Named);
    EXPECT_FALSE(page.follow_stored_text(StoredTextVerdict::Thai));
    EXPECT_EQ(page.page_for_text("เพลง").number(), 1252);
    EXPECT_EQ(page.page().number(), 1252);
    EXPECT_EQ(page.rule(), CodePageRule::Named);
    EXPECT_THROW(DataCodePage::named(932), jet::CodePageError);
}

TEST(DataCodePageTest, StoredThaiTextGives874OnAnySystem) {
    for (const char* lang : {"C.UTF-8", "th_TH.UTF-8", "ru_RU.UTF-8"}) {
        jet_test::LocaleVariables locale(lang);
        DataCodePage page = DataCodePage::system();
        const bool changed = page.follow_stored_text(StoredTextVerdict::Thai);
        EXPECT_EQ(changed, jet::data_code_page_for_locale() != 874) << lang;
        EXPECT_EQ(page.page().number(), 874) << lang;
        EXPECT_EQ(page.rule(), CodePageRule::StoredTextIsThai) << lang;
        EXPECT_EQ(page.reason(), "the catalogue's text is Thai");
    }
}

TEST(DataCodePageTest, StoredTextThatIsNotThaiGivesTheSystemPageOr1252OnAThaiSystem) {
    for (const char* lang : {"C.UTF-8", "th_TH.UTF-8", "ru_RU.UTF-8"}) {
        jet_test::LocaleVariables locale(lang);
        const int system = jet::data_code_page_for_locale();
        DataCodePage page = DataCodePage::system();
        EXPECT_EQ(page.follow_stored_text(StoredTextVerdict::NotThai), system == 874) << lang;
        EXPECT_EQ(page.page().number(), system == 874 ? 1252 : system) << lang;
        EXPECT_EQ(page.rule(), CodePageRule::StoredTextIsNotThai) << lang;
        EXPECT_EQ(page.reason(), system == 874 ? "the catalogue's text is not Thai, and 874 is "
                                                 "the system's code page: 1252"
                                               : "the catalogue's text is not Thai: " +
                                                     jet::data_code_page_source());
        // The stored text shows the page: added text does not change it.
        EXPECT_EQ(page.page_for_text("เพลง").number(), page.page().number()) << lang;
    }
}

TEST(DataCodePageTest, WithoutStoredTextTheSystemPageIsKept) {
    jet_test::LocaleVariables locale("C.UTF-8");
    DataCodePage page = DataCodePage::system();
    EXPECT_FALSE(page.follow_stored_text(StoredTextVerdict::None));
    EXPECT_EQ(page.rule(), CodePageRule::System);
    EXPECT_EQ(page.page().number(), jet::data_code_page_for_locale());
    EXPECT_EQ(page.reason(), jet::data_code_page_source());
#ifndef _WIN32
    EXPECT_EQ(page.reason(), "the system's code page (LANG=C.UTF-8)");
#endif
}

// The fourth rule needs a system page other than 874: a Western locale off
// Windows, a Windows whose ANSI code page is not Thai.
class SwitchTo874Test : public ::testing::Test {
  protected:
    void SetUp() override {
        if (jet::data_code_page_for_locale() != 1252) {
            GTEST_SKIP() << "the system's code page is " << jet::data_code_page_for_locale()
                         << ", not 1252";
        }
    }

    jet_test::LocaleVariables locale_{"C.UTF-8"};
};

TEST_F(SwitchTo874Test, TextOnly874CanStoreSwitchesTheSystemPageForTheRestOfTheOpen) {
    DataCodePage page = DataCodePage::system();
    EXPECT_EQ(page.page_for_text("Yesterday").number(), 1252);
    EXPECT_EQ(page.rule(), CodePageRule::System);
    EXPECT_EQ(page.page_for_text("เพลง").number(), 874);
    EXPECT_EQ(page.page().number(), 874);
    EXPECT_EQ(page.rule(), CodePageRule::TextBeingAdded);
    EXPECT_EQ(page.reason(),
              "the text being added is Thai, which 1252, the system's code page, does not hold, "
              "and the catalogue held no text beyond ASCII");
    EXPECT_EQ(page.page_for_text("Café").number(), 874);
}

TEST_F(SwitchTo874Test, BytesInNoNamedPageThatReadAsThaiSwitchTheSystemPage) {
    DataCodePage page = DataCodePage::system();
    EXPECT_EQ(page.page_for_bytes("Caf\xE9\nJos\xE9\n").number(), 1252);
    EXPECT_EQ(page.rule(), CodePageRule::System);
    // "เพลงรัก" in 874: valid in 1252 too, but Thai.
    EXPECT_EQ(page.page_for_bytes("\xE0\xBE\xC5\xA7\xC3\xD1\xA1\n").number(), 874);
    EXPECT_EQ(page.rule(), CodePageRule::TextBeingAdded);

    DataCodePage western = DataCodePage::system();
    EXPECT_EQ(western.page_for_text("Café").number(), 1252);
    EXPECT_EQ(western.page_for_bytes("\xE0\xBE\xC5\xA7\xC3\xD1\xA1\n").number(), 1252)
        << "text beyond ASCII is stored in 1252 already";
}

TEST_F(SwitchTo874Test, TextBeyondAsciiStoredInTheSystemPageKeepsIt) {
    DataCodePage page = DataCodePage::system();
    EXPECT_EQ(page.page_for_text("Café").number(), 1252);
    EXPECT_EQ(page.page_for_text("เพลง").number(), 1252);
    EXPECT_EQ(page.rule(), CodePageRule::System);
}

TEST_F(SwitchTo874Test, TextNeitherPageCanStoreChangesNothing) {
    DataCodePage page = DataCodePage::system();
    EXPECT_EQ(page.page_for_text("Привет").number(), 1252);
    EXPECT_EQ(page.page_for_text("a\xC3").number(), 1252);  // not UTF-8
    EXPECT_EQ(page.rule(), CodePageRule::System);
    // Nothing was stored, so Thai text still switches.
    EXPECT_EQ(page.page_for_text("เพลง").number(), 874);
}

TEST(DataCodePageTest, OnAThaiSystemTextOf874IsStoredIn874AndOtherTextIsNotSwitched) {
    jet_test::LocaleVariables locale("th_TH.UTF-8");
    if (jet::data_code_page_for_locale() != 874) {
        GTEST_SKIP() << "the system's code page is " << jet::data_code_page_for_locale()
                     << ", not 874";
    }
    DataCodePage page = DataCodePage::system();
    EXPECT_EQ(page.page_for_text("Café").number(), 874);
    EXPECT_EQ(page.page_for_text("เพลง").number(), 874);
    EXPECT_EQ(page.rule(), CodePageRule::System);
}

}  // namespace
