// The verdict of a catalogue's stored text: from its names and Text values,
// by the share of Thai among the evidence, read no further than its bounds.
#include "jet/stored_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jet/database_pager.h"
#include "song_catalogue_file.h"

namespace {

using jet::StoredTextLimits;
using jet::StoredTextVerdict;

StoredTextVerdict verdict_of(const jet_test::SongCatalogueFile& file,
                             const StoredTextLimits& limits = {}) {
    const auto db = file.open(1252);
    return jet::judge_stored_text(jet::pager_of(*db), db->catalogue(), db->code_page(), limits);
}

std::vector<std::string> repeated(const std::string& title, std::size_t count) {
    return std::vector<std::string>(count, title);
}

TEST(StoredTextTest, ANewCatalogueAndAsciiTitlesGiveNoVerdict) {
    const jet_test::SongCatalogueFile file;
    EXPECT_EQ(verdict_of(file), StoredTextVerdict::None);
    file.add_titles({"Yesterday", "Don’t Stop – Live"}, 1252);
    EXPECT_EQ(verdict_of(file), StoredTextVerdict::None);
}

TEST(StoredTextTest, ThaiTitlesAreThaiAndWesternOnesAreNot) {
    const jet_test::SongCatalogueFile thai;
    thai.add_titles({"Yesterday", "รักเธอ", "ลาก่อน", "ท้องนา"}, 874);
    EXPECT_EQ(verdict_of(thai), StoredTextVerdict::Thai);

    const jet_test::SongCatalogueFile western;
    western.add_titles({"Yesterday", "Café del Mar", "Björk"}, 1252);
    EXPECT_EQ(verdict_of(western), StoredTextVerdict::NotThai);
}

TEST(StoredTextTest, ThaiWinsFromThreePiecesOfEvidenceInFour) {
    const jet_test::SongCatalogueFile file;
    file.add_titles(repeated("รักเธอ", 3), 874);
    file.add_titles({"Café"}, 1252);
    EXPECT_EQ(verdict_of(file), StoredTextVerdict::Thai);
    file.add_titles({"Björk"}, 1252);
    EXPECT_EQ(verdict_of(file), StoredTextVerdict::NotThai);
}

// 30 ASCII titles, then 5 Thai ones, then 20 Western ones, in that row order.
TEST(StoredTextTest, TheLookEndsAfterItsRowsOrOnceTheVerdictIsFirm) {
    const jet_test::SongCatalogueFile file;
    file.add_titles(repeated("Yesterday", 30), 1252);
    file.add_titles(repeated("รักเธอ", 5), 874);
    file.add_titles(repeated("Café", 20), 1252);

    EXPECT_EQ(verdict_of(file), StoredTextVerdict::NotThai);
    EXPECT_EQ(verdict_of(file, {.firm_evidence = 200, .rows = 30}), StoredTextVerdict::None);
    EXPECT_EQ(verdict_of(file, {.firm_evidence = 200, .rows = 35}), StoredTextVerdict::Thai);
    EXPECT_EQ(verdict_of(file, {.firm_evidence = 5, .rows = 100'000}), StoredTextVerdict::Thai);
}

TEST(StoredTextTest, ACatalogueNameIsEvidenceToo) {
    const jet_test::SongCatalogueFile file;
    auto db = file.open(1252);
    std::vector<jet::CatalogueEntry> catalogue = db->catalogue();
    jet::CatalogueEntry query;
    query.name = jet::CodePage::get(1252).to_utf8(jet::CodePage::get(874).from_utf8("เพลงใหม่"));
    catalogue.push_back(query);
    EXPECT_EQ(jet::judge_stored_text(jet::pager_of(*db), catalogue, db->code_page()),
              StoredTextVerdict::Thai);
}

}  // namespace
