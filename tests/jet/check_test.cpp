// The consistency check: every real Access 97 file passes without an error,
// and each kind of damage done to a copy gives the finding that names it.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "jet/check.h"
#include "jet/coding.h"
#include "jet/database.h"
#include "jet/database_pager.h"
#include "jet/error.h"
#include "jet/index_page.h"
#include "jet/table_definition_format.h"
#include "jet/usage_map.h"
#include "tests/support/fixtures.h"

namespace {

using jet::PageNumber;
using jet_test::ScratchFile;

constexpr std::size_t kPage = jet::kPageSize;
constexpr std::uint32_t kGlobalMapRow = 1u << 8;

jet::CheckReport check_file(const std::filesystem::path& path) {
    const auto db = jet::Database::open(path, {1252});
    return jet::check_database(*db);
}

std::string all_findings(const jet::CheckReport& report) {
    std::string text;
    for (const jet::Finding& finding : report.findings) {
        text += jet::format_finding(finding) + "\n";
    }
    return text;
}

// True when some error is about `page` (any page when nullopt) and its line
// contains `words`.
bool has_error(const jet::CheckReport& report, std::optional<PageNumber> page,
               const std::string& words) {
    return std::any_of(report.findings.begin(), report.findings.end(), [&](const jet::Finding& f) {
        return f.severity == jet::Severity::Error && (!page || f.page == page) &&
               jet::format_finding(f).find(words) != std::string::npos;
    });
}

// A copy of one fixture, the structures of one of its tables, and the bytes
// to damage before checking.
class DamagedCopy {
  public:
    DamagedCopy(const std::string& fixture, const std::string& table)
        : bytes_(jet_test::read_bytes(jet_test::fixture(fixture))), file_(bytes_) {
        const auto db = jet::Database::open(file_.path(), {1252});
        table_ = db->table(table);
        data_pages_ = jet::read_usage_map(jet::pager_of(*db), table_.owned_pages_map, table);
    }

    const jet::TableDefinition& table() const { return table_; }
    const std::vector<PageNumber>& data_pages() const { return data_pages_; }
    std::vector<std::uint8_t>& bytes() { return bytes_; }

    std::uint8_t* page(PageNumber number) { return bytes_.data() + number * kPage; }

    // Offset in the file of the first byte of a row, from its page's offset table.
    std::size_t row_start(jet::RowPointer at) {
        const std::uint8_t* p = page(at.page);
        return at.page * kPage + (jet::get_u16le(p + 10 + 2 * at.row) & 0x1FFF);
    }

    // Sets or clears the bit of `page_number` in the inline usage map at `map_row`.
    void set_map_bit(std::uint32_t map_row, PageNumber page_number, bool on) {
        const std::size_t row = row_start(jet::RowPointer::from_data_pointer(map_row));
        ASSERT_EQ(bytes_[row], 0x00) << "expected an inline map";
        const PageNumber first = jet::get_u32le(&bytes_[row + 1]);
        const std::size_t bit = page_number - first;
        std::uint8_t& byte = bytes_[row + 5 + bit / 8];
        byte = on ? byte | (1u << (bit % 8)) : byte & ~(1u << (bit % 8));
    }

    jet::IndexPage index_page(PageNumber number) {
        return jet::parse_index_page(number, std::span<const std::uint8_t>(page(number), kPage));
    }

    const jet::RealIndex& index_named(const std::string& name) const {
        for (const jet::LogicalIndex& logical : table_.logical_indexes) {
            if (logical.name == name) {
                return table_.real_indexes[logical.real_index];
            }
        }
        throw std::runtime_error("no index " + name);
    }

    jet::CheckReport check() {
        file_.write(bytes_);
        return check_file(file_.path());
    }

  private:
    std::vector<std::uint8_t> bytes_;
    ScratchFile file_;
    jet::TableDefinition table_;
    std::vector<PageNumber> data_pages_;
};

TEST(CheckRealFilesTest, EveryFixtureHasNoErrors) {
    SKIP_WITHOUT_FIXTURES();
    std::size_t checked = 0;
    for (const std::filesystem::path& file : jet_test::readable_fixtures()) {
        const std::string name = file.filename().string();
        ScratchFile copy(jet_test::read_bytes(file));
        const jet::CheckReport report = check_file(copy.path());
        EXPECT_TRUE(report.ok()) << name << ":\n" << all_findings(report);
        EXPECT_GT(report.summary.tables, 0u) << name;
        EXPECT_GT(report.summary.rows, 0u) << name;
        EXPECT_GT(report.summary.indexes, 0u) << name;
        ++checked;
    }
    EXPECT_GE(checked, 9u);
}

TEST(CheckRealFilesTest, SystemTablesWithoutLongValueFreeMapsOnlyWarn) {
    SKIP_WITHOUT_FIXTURES();
    ScratchFile copy(jet_test::read_bytes(jet_test::fixture("testV1997.mdb")));
    const jet::CheckReport report = check_file(copy.path());
    ASSERT_TRUE(report.ok()) << all_findings(report);
    ASSERT_GT(report.summary.warnings, 0u);
    for (const jet::Finding& finding : report.findings) {
        EXPECT_NE(finding.structure.find("of table 'MSysModules2'"), std::string::npos)
            << jet::format_finding(finding);
    }
}

TEST(CheckRealFilesTest, CountsEveryTableRowAndIndexOfNorthwind) {
    SKIP_WITHOUT_FIXTURES();
    ScratchFile copy(jet_test::read_bytes(jet_test::fixture("nwind.mdb")));
    const jet::CheckReport report = check_file(copy.path());
    EXPECT_EQ(report.summary.pages, 756u);
    // 2155 + 830 + 91 + 77 + 29 + 9 + 8 + 3 user rows, the rest in system tables.
    EXPECT_GT(report.summary.rows, 3202u);
    EXPECT_GT(report.summary.index_entries, 3202u * 2);
}

TEST(CheckRealFilesTest, EncodedFileIsRefusedBeforeAnyCheck) {
    SKIP_WITHOUT_FIXTURES();
    ScratchFile copy(jet_test::read_bytes(jet_test::fixture("db97-enc.mdb")));
    EXPECT_THROW(check_file(copy.path()), jet::UnsupportedFile);
}

TEST(CheckDamageTest, FlippedBitInAnIndexKeyIsNamed) {
    SKIP_WITHOUT_FIXTURES();
    DamagedCopy copy("indexTestV1997.mdb", "Table1");
    const jet::RealIndex& index = copy.index_named("PrimaryKey");
    const jet::IndexPage root = copy.index_page(index.root_page);
    ASSERT_EQ(root.kind, jet::IndexPageKind::Leaf);
    ASSERT_EQ(root.prefix_length, 0);
    ASSERT_EQ(root.entries[0].key.size(), 5u);  // 7F and a Long
    copy.page(index.root_page)[248 + 4] ^= 0x01;
    const jet::CheckReport report = copy.check();
    EXPECT_FALSE(report.ok());
    EXPECT_TRUE(
        has_error(report, index.root_page, "index 'PrimaryKey' of table 'Table1': entry 0 (row ") &&
        has_error(report, index.root_page, "but the key computed from the row is"))
        << all_findings(report);
}

TEST(CheckDamageTest, RowOffsetMovedAboveTheRowBeforeIsNamed) {
    SKIP_WITHOUT_FIXTURES();
    DamagedCopy copy("indexTestV1997.mdb", "Table1");
    const PageNumber page = copy.data_pages().front();
    std::uint8_t* p = copy.page(page);
    ASSERT_GE(jet::get_u16le(p + 8), 2);
    const std::uint16_t first = jet::get_u16le(p + 10);
    p[12] = static_cast<std::uint8_t>((first + 4) & 0xFF);
    p[13] = static_cast<std::uint8_t>((first + 4) >> 8);
    const jet::CheckReport report = copy.check();
    EXPECT_TRUE(has_error(report, page,
                          "table 'Table1': row 1 starts at byte " + std::to_string(first + 4) +
                              ", above the start of the row before it"))
        << all_findings(report);
}

TEST(CheckDamageTest, WrongFreeSpaceFieldIsNamed) {
    SKIP_WITHOUT_FIXTURES();
    DamagedCopy copy("indexTestV1997.mdb", "Table1");
    const PageNumber page = copy.data_pages().front();
    copy.page(page)[2] ^= 0x04;
    const jet::CheckReport report = copy.check();
    EXPECT_TRUE(has_error(report, page, "free space field is")) << all_findings(report);
}

TEST(CheckDamageTest, RowCountOffByOneIsNamed) {
    SKIP_WITHOUT_FIXTURES();
    DamagedCopy copy("indexTestV1997.mdb", "Table1");
    const PageNumber tdef = copy.table().page;
    copy.page(tdef)[jet::table_definition_format::kRowCountOffset] += 1;
    const jet::CheckReport report = copy.check();
    EXPECT_TRUE(has_error(report, tdef,
                          "table 'Table1': the table definition counts 5 rows, but its data "
                          "pages hold 4"))
        << all_findings(report);
}

TEST(CheckDamageTest, NullInARequiredIndexIsNamed) {
    SKIP_WITHOUT_FIXTURES();
    DamagedCopy copy("indexTestV1997.mdb", "Table1");
    const PageNumber page = copy.data_pages().front();
    // Row 0 ends at the end of the page; its null mask (5 columns: one byte)
    // is its last byte, and column 'id' is column 0.
    ASSERT_EQ(copy.table().max_columns, 5);
    copy.page(page)[kPage - 1] &= 0xFE;
    const jet::CheckReport report = copy.check();
    EXPECT_TRUE(has_error(report, page,
                          "row 0: column 'id' is null, but index 'PrimaryKey' of table 'Table1' "
                          "requires a value"))
        << all_findings(report);
}

TEST(CheckDamageTest, AutonumberBelowTheLargestValueIsNamed) {
    SKIP_WITHOUT_FIXTURES();
    DamagedCopy copy("nwind.mdb", "Shippers");
    const PageNumber tdef = copy.table().page;
    std::fill_n(copy.page(tdef) + jet::table_definition_format::kAutonumberOffset, 4, 0);
    const jet::CheckReport report = copy.check();
    EXPECT_TRUE(has_error(report, tdef, "autonumber column 'ShipperID' holds 3, above the last"))
        << all_findings(report);
}

TEST(CheckDamageTest, PageOwnedByTwoTablesIsNamed) {
    SKIP_WITHOUT_FIXTURES();
    DamagedCopy copy("indexTestV1997.mdb", "Table2");
    const auto db = jet::Database::open(jet_test::fixture("indexTestV1997.mdb"), {1252});
    const jet::TableDefinition& other = db->table("Table1");
    const PageNumber stolen =
        jet::read_usage_map(jet::pager_of(*db), other.owned_pages_map, "T1")[0];
    copy.set_map_bit(copy.table().owned_pages_map, stolen, true);
    const jet::CheckReport report = copy.check();
    EXPECT_TRUE(has_error(report, stolen, "the page is owned twice")) << all_findings(report);
}

TEST(CheckDamageTest, ClearedOwnedMapBitLosesTheTablesRows) {
    SKIP_WITHOUT_FIXTURES();
    DamagedCopy copy("indexTestV1997.mdb", "Table1");
    const PageNumber page = copy.data_pages().front();
    copy.set_map_bit(copy.table().owned_pages_map, page, false);
    const jet::CheckReport report = copy.check();
    EXPECT_TRUE(has_error(report, copy.table().page, "table 'Table1': the table definition counts"))
        << all_findings(report);
    EXPECT_TRUE(has_error(report, std::nullopt, "points to no live row of the table"))
        << all_findings(report);
}

TEST(CheckDamageTest, OwnedPageMarkedFreeInTheGlobalMapIsNamed) {
    SKIP_WITHOUT_FIXTURES();
    DamagedCopy copy("indexTestV1997.mdb", "Table1");
    const PageNumber page = copy.data_pages().front();
    copy.set_map_bit(kGlobalMapRow, page, true);
    const jet::CheckReport report = copy.check();
    EXPECT_TRUE(has_error(report, page, "global usage map: marks the page free, but it is"))
        << all_findings(report);
}

TEST(CheckDamageTest, MapBitPastTheEndOfTheFileIsNamed) {
    SKIP_WITHOUT_FIXTURES();
    DamagedCopy copy("indexTestV1997.mdb", "Table1");
    const auto pages = static_cast<PageNumber>(copy.bytes().size() / kPage);
    copy.set_map_bit(copy.table().owned_pages_map, pages + 3, true);
    const jet::CheckReport report = copy.check();
    EXPECT_TRUE(has_error(report, std::nullopt, "pages past the end of the file"))
        << all_findings(report);
}

// Order Details' indexes span several leaves under one intermediate root.
class LeafChainTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SKIP_WITHOUT_FIXTURES();
        copy_.emplace("nwind.mdb", "Order Details");
        index_ = &copy_->index_named("OrderID");
        root_ = copy_->index_page(index_->root_page);
        ASSERT_EQ(root_.kind, jet::IndexPageKind::Intermediate);
        ASSERT_GE(root_.entries.size(), 2u);
    }

    std::optional<DamagedCopy> copy_;
    const jet::RealIndex* index_ = nullptr;
    jet::IndexPage root_;
};

TEST_F(LeafChainTest, CycleInTheLeafChainIsNamedNotFollowed) {
    const PageNumber first = root_.entries[0].child;
    const PageNumber second = root_.entries[1].child;
    jet::put_u32le(copy_->page(second) + 12, first);
    const jet::CheckReport report = copy_->check();
    EXPECT_TRUE(has_error(report, second, "next-page link is " + std::to_string(first)))
        << all_findings(report);
    EXPECT_TRUE(has_error(report, first, "the next-page links of level 1 form a cycle"))
        << all_findings(report);
}

TEST_F(LeafChainTest, ChildReachedTwiceIsNamed) {
    const PageNumber first = root_.entries[0].child;
    // Make the root's second entry point at the first child as well.
    const std::size_t second_entry_end = 248 + [&] {
        std::size_t end = 0;
        int seen = 0;
        const std::uint8_t* p = copy_->page(index_->root_page);
        for (std::size_t pos = 0; pos < 1800 && seen < 2; ++pos) {
            if ((p[22 + pos / 8] >> (pos % 8)) & 1) {
                ++seen;
                end = pos;
            }
        }
        return end;
    }();
    ASSERT_EQ(root_.prefix_length, 0);
    std::uint8_t* child = copy_->page(index_->root_page) + second_entry_end - 4;
    for (int i = 0; i < 4; ++i) {
        child[i] = static_cast<std::uint8_t>(first >> (8 * (3 - i)));
    }
    const jet::CheckReport report = copy_->check();
    EXPECT_TRUE(has_error(report, first, "the page is reached twice in the tree"))
        << all_findings(report);
}

TEST_F(LeafChainTest, StaleIntermediateCopyIsNamed) {
    const PageNumber first = root_.entries[0].child;
    // Remove the last entry of the first leaf by clearing its end bit: the
    // root's copy no longer matches the leaf's new last entry.
    std::uint8_t* leaf = copy_->page(first);
    int last_bit = -1;
    for (int pos = 0; pos < 1800; ++pos) {
        if ((leaf[22 + pos / 8] >> (pos % 8)) & 1) {
            last_bit = pos;
        }
    }
    ASSERT_GT(last_bit, 0);
    leaf[22 + last_bit / 8] &= static_cast<std::uint8_t>(~(1u << (last_bit % 8)));
    const jet::CheckReport report = copy_->check();
    EXPECT_TRUE(has_error(report, index_->root_page, "entry 0 (") &&
                has_error(report, index_->root_page,
                          "is not a copy of the last entry of its "
                          "child page " +
                              std::to_string(first)))
        << all_findings(report);
    EXPECT_TRUE(has_error(report, std::nullopt, "has no entry in the index"))
        << all_findings(report);
}

TEST(CheckDamageTest, RandomDamageGivesFindingsNeverACrash) {
    SKIP_WITHOUT_FIXTURES();
    const auto original = jet_test::read_bytes(jet_test::fixture("indexTestV1997.mdb"));
    ScratchFile file(original);
    std::mt19937 random(97);
    std::size_t damaged_reports = 0;
    for (int round = 0; round < 150; ++round) {
        auto bytes = original;
        for (int hit = 0; hit < 8; ++hit) {
            bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
        }
        file.write(bytes);
        try {
            if (!check_file(file.path()).ok()) {
                ++damaged_reports;
            }
        } catch (const jet::Error&) {
            // The catalogue itself could not be read: nothing to check.
        }
    }
    EXPECT_GT(damaged_reports, 0u);
}

}  // namespace
