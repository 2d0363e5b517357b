// The Access 97 General sort order on the worked examples of Access-written
// keys, and the refusal of sort orders whose keys cannot be built.
#include "jet/general_sort.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace jet {
namespace {

std::vector<std::uint8_t> key_of(std::string_view cp1252) {
    std::vector<std::uint8_t> key;
    append_general_text_key(key, cp1252);
    return key;
}

using Bytes = std::vector<std::uint8_t>;

TEST(GeneralSortTest, FoldsCaseAndDropsTrailingSpaces) {
    EXPECT_EQ(key_of("a"), (Bytes{0x60, 0x00}));
    EXPECT_EQ(key_of("A"), (Bytes{0x60, 0x00}));
    EXPECT_EQ(key_of("abc"), (Bytes{0x60, 0x61, 0x62, 0x00}));
    EXPECT_EQ(key_of("ABC"), key_of("abc"));
    EXPECT_EQ(key_of("abc  "), key_of("abc"));
    EXPECT_EQ(key_of(""), (Bytes{0x00}));
    EXPECT_EQ(key_of("   "), (Bytes{0x00}));
    EXPECT_EQ(key_of("D'Arcy"), (Bytes{0x64, 0x18, 0x60, 0x75, 0x62, 0x7D, 0x00}));
    EXPECT_EQ(key_of("Song 2"), (Bytes{0x76, 0x72, 0x70, 0x68, 0x11, 0x58, 0x00}));
}

TEST(GeneralSortTest, AccentsFollowTheLettersAsNibbles) {
    EXPECT_EQ(key_of("\xE9"), (Bytes{0x66, 0x04, 0x00}));  // é
    EXPECT_EQ(key_of("Caf\xE9"), (Bytes{0x62, 0x60, 0x67, 0x66, 0x02, 0x24, 0x00}));
    EXPECT_EQ(key_of("CAF\xC9"), key_of("Caf\xE9"));
    EXPECT_EQ(key_of("na\xEFve"), (Bytes{0x70, 0x60, 0x6A, 0x7A, 0x66, 0x02, 0x26, 0x00}));
    EXPECT_EQ(key_of("Zo\xEB"), (Bytes{0x7E, 0x72, 0x66, 0x02, 0x60}));
    EXPECT_EQ(key_of("r\xE9sum\xE9"),
              (Bytes{0x75, 0x66, 0x76, 0x78, 0x6F, 0x66, 0x04, 0x22, 0x40}));
    EXPECT_EQ(key_of("\xC5ngstr\xF6m"),
              (Bytes{0x60, 0x70, 0x68, 0x76, 0x77, 0x75, 0x72, 0x6F, 0x08, 0x22, 0x60}));
}

TEST(GeneralSortTest, LigaturesAreTwoUnaccentedLetters) {
    EXPECT_EQ(key_of("Stra\xDF"
                     "e"),
              (Bytes{0x76, 0x77, 0x75, 0x60, 0x76, 0x76, 0x66, 0x00}));
    EXPECT_EQ(key_of("\x8Cuvre"), (Bytes{0x72, 0x66, 0x78, 0x7A, 0x75, 0x66, 0x00}));
    // ß before an accented letter adds two 2 nibbles, like "ss" would.
    EXPECT_EQ(key_of("\xDF\xE9"), (Bytes{0x76, 0x76, 0x66, 0x02, 0x24, 0x00}));
    EXPECT_EQ(key_of("\xE6\xE9"), key_of("ae\xE9"));
}

TEST(GeneralSortTest, NulWeighsLikeAControlCharacter) {
    EXPECT_EQ(key_of(std::string("Lock\0", 5)), (Bytes{0x6D, 0x72, 0x62, 0x6C, 0x10, 0x00}));
}

TEST(GeneralSortTest, KeysOrderDigitsBeforeLettersAndIgnoreCase) {
    EXPECT_LT(key_of("9"), key_of("a"));
    EXPECT_LT(key_of("apple"), key_of("Banana"));
    EXPECT_LT(key_of("abc"), key_of("abd"));
    EXPECT_LT(key_of("ab"), key_of("abc"));
}

TEST(GeneralSortTest, UsesAtMost255Characters) {
    std::string long_text(300, 'b');
    EXPECT_EQ(key_of(long_text).size(), 256u);
    EXPECT_EQ(key_of(long_text), key_of(long_text.substr(0, 255)));
}

TEST(SortOrderTest, OnlyGeneralIsSupportedAndOthersAreNamed) {
    EXPECT_TRUE(sort_order_supported(kGeneralSortOrder));
    EXPECT_FALSE(sort_order_supported(1054));
    EXPECT_NO_THROW(require_sort_order_supported(1033, "index \"Name\""));
    try {
        require_sort_order_supported(1054, "index \"Name\" of table \"Song\"");
        FAIL() << "Thai was accepted";
    } catch (const SortOrderError& e) {
        EXPECT_NE(std::string(e.what()).find("Thai (1054)"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("\"Song\""), std::string::npos) << e.what();
    }
    EXPECT_EQ(sort_order_name(1049), "sort order 1049");
}

}  // namespace
}  // namespace jet
