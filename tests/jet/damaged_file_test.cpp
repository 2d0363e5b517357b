// Damaged files: every byte of a real file overwritten in turn must give a
// result or a jet::Error, never a crash, a hang or another kind of failure;
// chains that loop and index statistics that leave a definition's first page
// are reported by name.
#include <gtest/gtest.h>

#include "jet/coding.h"
#include "jet/database.h"
#include "jet/error.h"
#include "jet/page.h"
#include "jet/table_definition_format.h"
#include "tests/support/fixtures.h"

namespace {

using jet_test::ScratchFile;

// Opens the file and reads every row of every local table.
void read_everything(const std::filesystem::path& path) {
    const auto db = jet::Database::open(path, {1252});
    for (const jet::CatalogueEntry& entry : db->catalogue()) {
        if (entry.type == jet::CatalogueEntry::kLocalTable) {
            db->for_each_row(db->table(entry.name),
                             [](jet::RowPointer, const std::vector<jet::Value>&) {});
        }
    }
}

TEST(DamagedFileTest, OverwrittenBytesGiveErrorsNotCrashes) {
    SKIP_WITHOUT_FIXTURES();
    const auto original = jet_test::read_bytes(jet_test::fixture("testV1997.mdb"));
    ScratchFile file(original);
    std::size_t failures = 0;
    for (std::size_t offset = 3; offset < original.size(); offset += 29) {
        auto damaged = original;
        damaged[offset] =
            (offset / 29) % 2 ? 0xFF : static_cast<std::uint8_t>(damaged[offset] + 0x41);
        file.write(damaged);
        try {
            read_everything(file.path());
        } catch (const jet::Error&) {
            ++failures;
        }
    }
    EXPECT_GT(failures, 0u);
}

TEST(DamagedFileTest, LoopingDefinitionChainIsNamed) {
    SKIP_WITHOUT_FIXTURES();
    auto bytes = jet_test::read_bytes(jet_test::fixture("testV1997.mdb"));
    // The catalogue's definition (page 2) continues on itself.
    jet_test::ScratchFile file(bytes);
    bytes[2 * jet::kPageSize + jet::table_definition_format::kNextPageOffset] = 2;
    file.write(bytes);
    try {
        jet::Database::open(file.path(), {1252});
        FAIL() << "opened a file whose definition pages loop";
    } catch (const jet::FormatError& e) {
        EXPECT_EQ(
            std::string(e.what()),
            "page 2: table definition of 'MSysObjects': its chain of pages returns to this page");
    }
}

TEST(DamagedFileTest, HugeColumnCountIsBoundedByTheDefinition) {
    SKIP_WITHOUT_FIXTURES();
    auto bytes = jet_test::read_bytes(jet_test::fixture("testV1997.mdb"));
    const std::size_t column_count =
        2 * jet::kPageSize + jet::table_definition_format::kColumnCountOffset;
    bytes[column_count] = 0xFF;
    bytes[column_count + 1] = 0xFF;
    jet_test::ScratchFile file(bytes);
    try {
        jet::Database::open(file.path(), {1252});
        FAIL() << "opened a definition with 65535 columns";
    } catch (const jet::FormatError& e) {
        EXPECT_NE(std::string(e.what()).find(
                      "page 2: table definition of 'MSysObjects': 65535 column records"),
                  std::string::npos)
            << e.what();
    }
}

TEST(DamagedFileTest, IndexStatisticsPastTheFirstPageAreRefused) {
    SKIP_WITHOUT_FIXTURES();
    auto bytes = jet_test::read_bytes(jet_test::fixture("testV1997.mdb"));
    // Page 34 starts a definition of two pages; 300 real indexes would put
    // their statistics on the second one.
    constexpr jet::PageNumber kLongDefinition = 34;
    jet::put_u32le(bytes.data() + kLongDefinition * jet::kPageSize +
                       jet::table_definition_format::kRealIndexCountOffset,
                   300);
    jet_test::ScratchFile file(bytes);
    const auto db = jet::Database::open(file.path(), {1252});
    std::string name;
    for (const jet::CatalogueEntry& entry : db->catalogue()) {
        if (entry.type == jet::CatalogueEntry::kLocalTable &&
            static_cast<jet::PageNumber>(entry.id) == kLongDefinition) {
            name = entry.name;
        }
    }
    ASSERT_FALSE(name.empty());
    try {
        db->table(name);
        FAIL() << "read a definition whose index statistics leave its first page";
    } catch (const jet::FormatError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "page 34: table definition of '" + name +
                      "': the statistics of its 300 real indexes run past its first page");
    }
}

}  // namespace
