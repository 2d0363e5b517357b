// Opening files: which headers are accepted, and how the others are refused.
#include <gtest/gtest.h>

#include <string>

#include "jet/database.h"
#include "jet/error.h"
#include "jet/page.h"
#include "tests/support/fixtures.h"

namespace {

using jet_test::ScratchFile;

std::string open_error(const std::vector<std::uint8_t>& bytes) {
    ScratchFile file(bytes);
    try {
        jet::Database::open(file.path(), {1252});
    } catch (const jet::Error& e) {
        return e.what();
    }
    return "opened";
}

std::vector<std::uint8_t> access97_file() {
    return jet_test::read_bytes(jet_test::fixture("testV1997.mdb"));
}

TEST(OpenTest, ReadsHeaderOfRealFile) {
    SKIP_WITHOUT_FIXTURES();
    const auto db = jet::Database::open(jet_test::fixture("testV1997.mdb"), {1252});
    EXPECT_EQ(db->header().code_page, 1252);
    EXPECT_EQ(db->header().sort_order, 1033);
    EXPECT_EQ(db->code_page().number(), 1252);
}

TEST(OpenTest, RefusesOtherVersionsByName) {
    SKIP_WITHOUT_FIXTURES();
    auto bytes = access97_file();
    bytes[0x14] = 1;
    EXPECT_EQ(open_error(bytes), "Access 2000 (Jet 4) files are not supported");
    bytes[0x14] = 3;
    EXPECT_EQ(open_error(bytes), "Access 2010 files are not supported");
    bytes[0x14] = 2;
    std::copy_n("Standard ACE DB", 16, bytes.begin() + 4);
    EXPECT_EQ(open_error(bytes), "Access 2007 files are not supported");
}

TEST(OpenTest, RefusesEncodedDatabase) {
    SKIP_WITHOUT_FIXTURES();
    const std::string expected =
        "the file is an encoded Access 97 database, which is not supported";
    EXPECT_EQ(open_error(jet_test::read_bytes(jet_test::fixture("db97-enc.mdb"))), expected);
    // The key sits in the masked region: flipping a stored bit flips the key's bit.
    auto bytes = access97_file();
    bytes[0x3E] ^= 0x01;
    EXPECT_EQ(open_error(bytes), expected);
}

TEST(OpenTest, RefusesFilesThatAreNotAccessDatabases) {
    EXPECT_EQ(open_error({}), "not an Access database");
    EXPECT_EQ(open_error(std::vector<std::uint8_t>(100, 'x')), "not an Access database");
    EXPECT_EQ(open_error(std::vector<std::uint8_t>(4096, 0)), "not an Access database");
    std::vector<std::uint8_t> bytes(4096, 0);
    std::copy_n("Standard Jet DB", 16, bytes.begin() + 4);
    bytes[0] = 0x01;
    EXPECT_EQ(open_error(bytes), "not an Access database");
}

TEST(OpenTest, TruncatedFileNamesTheMissingPage) {
    SKIP_WITHOUT_FIXTURES();
    auto bytes = access97_file();
    bytes.resize(2 * jet::kPageSize + 100);
    EXPECT_EQ(open_error(bytes), "page 2 is past the end of the file (2 pages)");
}

TEST(OpenTest, MissingFileIsAnError) {
    EXPECT_THROW(jet::Database::open("/nonexistent/folder/x.mdb", {1252}), jet::Error);
}

}  // namespace
