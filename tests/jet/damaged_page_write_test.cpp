// Inserting into a catalogue whose pages were damaged after it was written:
// the writer refuses with a FormatError naming the page and the structure,
// before it changes a byte, instead of writing outside a page or building a
// usage map the size of the damage.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "jet/coding.h"
#include "jet/create_database.h"
#include "jet/database.h"
#include "jet/database_pager.h"
#include "jet/error.h"
#include "jet/table_writer.h"
#include "jet/usage_map.h"
#include "tests/support/fixtures.h"

namespace {

constexpr std::size_t kPage = 2048;

jet::OpenOptions writable() {
    jet::OpenOptions options;
    options.code_page = 1252;
    options.writable = true;
    return options;
}

std::vector<std::optional<jet::Value>> note(int n) {
    return {jet::Value{jet::Text{"Note " + std::to_string(n)}},
            jet::Value{jet::Text{std::string(1500, static_cast<char>('a' + n % 26))}}};
}

// Where the catalogue keeps the rows the tests damage.
struct Layout {
    jet::PageNumber definition = 0;
    jet::PageNumber data_page = 0;        // the table's last page with room
    jet::PageNumber long_value_page = 0;  // the memo column's last page with room
    std::uint32_t free_pages_map = 0;
};

// A new catalogue with a memo column and three rows in it.
class DamagedCatalogueTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::remove(file_.path());
        jet::NewTable notes;
        notes.name = "Notes";
        notes.columns = {{"Title", jet::ColumnType::Text, 100}, {"Body", jet::ColumnType::Memo}};
        jet::create_database(file_.path(), notes);
        const auto db = jet::Database::open(file_.path(), writable());
        jet::TableWriter writer(*db, "Notes");
        for (int n = 0; n < 3; ++n) {
            writer.insert(note(n));
        }
        const jet::TableDefinition& table = writer.table();
        layout_.definition = table.page;
        layout_.data_page =
            jet::read_usage_map(jet::pager_of(*db), table.free_pages_map, "free pages").back();
        layout_.long_value_page =
            jet::read_usage_map(jet::pager_of(*db), table.long_value_maps.at(0).free_pages,
                                "memo pages")
                .back();
        layout_.free_pages_map = table.free_pages_map;
        db->close();
    }

    // Patches the file, then expects the next insert to be refused with a
    // FormatError whose message holds every part of `named`, the file's bytes
    // untouched.
    void expect_refused(const std::function<void(std::vector<std::uint8_t>&)>& damage,
                        const std::vector<std::string>& named) {
        auto bytes = jet_test::read_bytes(file_.path());
        damage(bytes);
        file_.write(bytes);
        {
            const auto db = jet::Database::open(file_.path(), writable());
            jet::TableWriter writer(*db, "Notes");
            try {
                writer.insert(note(3));
                ADD_FAILURE() << "the row was stored";
            } catch (const jet::FormatError& e) {
                for (const std::string& part : named) {
                    EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << e.what();
                }
            }
            db->close();
        }
        EXPECT_EQ(jet_test::read_bytes(file_.path()), bytes) << "the refused row changed the file";
    }

    // Moves the last row of `page` to start at `offset`, flags kept.
    static void move_last_row(std::vector<std::uint8_t>& bytes, jet::PageNumber page,
                              std::uint16_t offset) {
        std::uint8_t* p = bytes.data() + page * kPage;
        const unsigned slots = jet::get_u16le(p + 8);
        std::uint8_t* entry = p + 10 + 2 * (slots - 1);
        const auto value =
            static_cast<std::uint16_t>((jet::get_u16le(entry) & 0xE000) | (offset & 0x1FFF));
        entry[0] = static_cast<std::uint8_t>(value & 0xFF);
        entry[1] = static_cast<std::uint8_t>(value >> 8);
    }

    static std::string page_named(jet::PageNumber page) { return "page " + std::to_string(page); }

    jet_test::ScratchFile file_{{}};
    Layout layout_;
};

TEST_F(DamagedCatalogueTest, DataPageWithItsLastRowPastThePageEndIsRefused) {
    expect_refused([&](auto& bytes) { move_last_row(bytes, layout_.data_page, 0x1FF0); },
                   {page_named(layout_.data_page), "table 'Notes'", "8176"});
}

TEST_F(DamagedCatalogueTest, DataPageOfAnotherOwnerIsRefused) {
    expect_refused(
        [&](auto& bytes) {
            bytes[layout_.data_page * kPage + 4] ^= 0x40;  // the owner field
        },
        {page_named(layout_.data_page), "table 'Notes'", "owner"});
}

TEST_F(DamagedCatalogueTest, LongValuePageWithItsLastRowPastThePageEndIsRefused) {
    expect_refused([&](auto& bytes) { move_last_row(bytes, layout_.long_value_page, 0x1FF0); },
                   {page_named(layout_.long_value_page), "'Notes'.'Body'", "8176"});
}

TEST_F(DamagedCatalogueTest, LongValuePageThatIsNoDataPageIsRefused) {
    expect_refused(
        [&](auto& bytes) {
            bytes[layout_.long_value_page * kPage] = 0x04;  // a leaf index page's type
        },
        {page_named(layout_.long_value_page), "'Notes'.'Body'", "expected a data page"});
}

TEST_F(DamagedCatalogueTest, UsageMapStartingPastTheFileIsRefusedAtOnce) {
    const jet::PageNumber holder = layout_.free_pages_map >> 8;
    const unsigned row = layout_.free_pages_map & 0xFF;
    expect_refused(
        [&](auto& bytes) {
            std::uint8_t* page = bytes.data() + holder * kPage;
            const unsigned start = jet::get_u16le(page + 10 + 2 * row) & 0x1FFF;
            const unsigned end = row == 0 ? kPage : jet::get_u16le(page + 8 + 2 * row) & 0x1FFF;
            ASSERT_EQ(page[start], 0x00) << "the map is not inline";
            // Start page 0x7FFFFFF8, and no page held, so that the map reads
            // as empty and the insert has to lengthen it.
            const std::uint8_t far_start[] = {0xF8, 0xFF, 0xFF, 0x7F};
            std::copy(std::begin(far_start), std::end(far_start), page + start + 1);
            std::fill(page + start + 5, page + end, 0);
        },
        {page_named(holder), "usage map row " + std::to_string(row), "past the end of the file"});
}

}  // namespace
