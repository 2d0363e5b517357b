// The data code page a database opens with, no code page named: Thai
// catalogues read as Thai on any system, the Western real files as 1252 on a
// Western and on a Thai system, an ASCII catalogue switches to 874 for Thai
// text; and the bytes 1252 leaves unassigned are written back as read.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "jet/database.h"
#include "jet/error.h"
#include "jet/table_writer.h"
#include "jet/value_parse.h"
#include "locale_variables.h"
#include "song_catalogue_file.h"
#include "tests/support/fixtures.h"

namespace {

namespace fs = std::filesystem;
using jet::CodePageRule;

const std::vector<std::string> kThaiTitles = {"รักเธอ", "ลาก่อน", "ฝนตก", "ท้องนา"};

// The text of every Text value of every user table, in the database's page.
std::vector<std::string> text_values(jet::Database& db) {
    std::vector<std::string> values;
    for (const std::string& name : db.table_names()) {
        const jet::TableDefinition& table = db.table(name);
        db.for_each_row(table, [&](jet::RowPointer, const std::vector<jet::Value>& row) {
            for (const jet::Value& value : row) {
                if (const auto* text = std::get_if<jet::Text>(&value))
                    values.push_back(db.code_page().to_utf8(text->bytes));
            }
        });
    }
    return values;
}

std::vector<std::string> names(const jet::Database& db) {
    std::vector<std::string> names;
    for (const jet::CatalogueEntry& entry : db.catalogue())
        names.push_back(entry.name);
    return names;
}

TEST(DatabaseCodePageTest, AThaiCatalogueReadsAsThaiOnAWesternSystem) {
    const jet_test::SongCatalogueFile file;
    file.add_titles({"Yesterday"}, 1252);
    file.add_titles(kThaiTitles, 874);
    jet_test::LocaleVariables locale("C.UTF-8");
    const auto db = file.open(std::nullopt);
    EXPECT_EQ(db->code_page().number(), 874);
    EXPECT_EQ(db->code_page_rule(), CodePageRule::StoredTextIsThai);
    EXPECT_EQ(db->code_page_reason(), "the catalogue's text is Thai");
    std::vector<std::string> expected = {"Yesterday"};
    expected.insert(expected.end(), kThaiTitles.begin(), kThaiTitles.end());
    EXPECT_EQ(text_values(*db), expected);
}

TEST(DatabaseCodePageTest, AWesternCatalogueReads1252OnAThaiSystem) {
    const jet_test::SongCatalogueFile file;
    file.add_titles({"Café del Mar", "Björk"}, 1252);
    jet_test::LocaleVariables locale("th_TH.UTF-8");
    const auto db = file.open(std::nullopt);
    EXPECT_EQ(db->code_page().number(), 1252);
    EXPECT_EQ(db->code_page_rule(), CodePageRule::StoredTextIsNotThai);
    EXPECT_EQ(text_values(*db), (std::vector<std::string>{"Café del Mar", "Björk"}));
}

TEST(DatabaseCodePageTest, ANamedPageIsUsedWhateverIsStored) {
    const jet_test::SongCatalogueFile file;
    file.add_titles(kThaiTitles, 874);
    const auto db = file.open(1252);
    EXPECT_EQ(db->code_page().number(), 1252);
    EXPECT_EQ(db->code_page_rule(), CodePageRule::Named);
}

// Each real file reads the same text, names and values, under a Western and
// a Thai system page as with 1252 named; those holding text beyond ASCII show
// that it is not Thai.
TEST(DatabaseCodePageTest, TheRealFilesReadAs1252OnAWesternAndOnAThaiSystem) {
    SKIP_WITHOUT_FIXTURES();
    std::set<std::string> judged_not_thai;
    for (const std::filesystem::path& file : jet_test::readable_fixtures()) {
        const std::unique_ptr<jet::Database> western =
            jet::Database::open(file, {.code_page = 1252});
        const std::string name = file.filename().string();
        for (const char* lang : {"C.UTF-8", "th_TH.UTF-8"}) {
            SCOPED_TRACE(name + " under LANG=" + lang);
            jet_test::LocaleVariables locale(lang);
            const auto db = jet::Database::open(file);
            EXPECT_EQ(names(*db), names(*western));
            EXPECT_EQ(text_values(*db), text_values(*western));
            if (db->code_page_rule() == CodePageRule::StoredTextIsNotThai) {
                EXPECT_EQ(db->code_page().number(), 1252);
                judged_not_thai.insert(name);
            } else {
                EXPECT_EQ(db->code_page_rule(), CodePageRule::System);
            }
        }
    }
    EXPECT_EQ(judged_not_thai, (std::set<std::string>{"nwind.mdb", "testIndexCodesV1997.mdb"}));
}

// With 1252 the system's page, a new catalogue of ASCII titles is written in
// 874 from the first Thai title on, and opens as Thai afterwards.
TEST(DatabaseCodePageTest, AnAsciiCatalogueSwitchesTo874ForThaiTextOnAWesternSystem) {
    jet_test::LocaleVariables locale("C.UTF-8");
    if (jet::data_code_page_for_locale() != 1252) {
        GTEST_SKIP() << "the system's code page is " << jet::data_code_page_for_locale()
                     << ", not 1252";
    }
    const jet_test::SongCatalogueFile file;
    file.add_titles({"Yesterday"}, 1252);
    {
        const auto db = file.open(std::nullopt, true);
        EXPECT_EQ(db->code_page_rule(), CodePageRule::System);
        jet::TableWriter writer(*db, "Song");
        const std::size_t title = writer.column_position("songName");
        const jet::Column& column = writer.table().columns[title];
        for (const std::string utf8 : {"Hello", "เพลง", "ท้องนา"}) {
            std::vector<std::optional<jet::Value>> row(writer.table().columns.size());
            row[title] = jet::value_from_text(utf8, column, db->code_page_for_text(utf8));
            writer.insert(row);
        }
        EXPECT_EQ(db->code_page().number(), 874);
        EXPECT_EQ(db->code_page_rule(), CodePageRule::TextBeingAdded);
        db->close();
    }
    EXPECT_EQ(file.stored_titles(),
              (std::vector<std::string>{"Yesterday", "Hello", "\xE0\xBE\xC5\xA7",
                                        "\xB7\xE9\xCD\xA7\xB9\xD2"}));
    const auto reopened = file.open(std::nullopt);
    EXPECT_EQ(reopened->code_page_rule(), CodePageRule::StoredTextIsThai);
}

// testIndexCodesV1997 holds the five bytes 1252 leaves unassigned (0x81,
// 0x8D, 0x8F, 0x90, 0x9D); its text, read and written back as text, is the
// same bytes.
TEST(DatabaseCodePageTest, TextHoldingBytes1252LeavesUnassignedIsWrittenBackAsRead) {
    SKIP_WITHOUT_FIXTURES();
    const auto fixture = jet::Database::open(jet_test::fixture("testIndexCodesV1997.mdb"));
    ASSERT_EQ(fixture->code_page().number(), 1252);
    std::vector<std::string> stored;
    std::set<unsigned char> unassigned;
    for (const std::string& name : fixture->table_names()) {
        const jet::TableDefinition& table = fixture->table(name);
        fixture->for_each_row(table, [&](jet::RowPointer, const std::vector<jet::Value>& row) {
            for (const jet::Value& value : row) {
                const auto* text = std::get_if<jet::Text>(&value);
                if (text == nullptr || text->bytes.size() > 100)
                    continue;
                stored.push_back(text->bytes);
                for (const unsigned char b : text->bytes) {
                    if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D)
                        unassigned.insert(b);
                }
            }
        });
    }
    ASSERT_EQ(unassigned.size(), 5u);

    const jet_test::SongCatalogueFile file;
    std::vector<std::string> texts;
    for (const std::string& bytes : stored)
        texts.push_back(fixture->code_page().to_utf8(bytes));
    file.add_titles(texts, 1252);
    EXPECT_EQ(file.stored_titles(), stored);
}

}  // namespace
