#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "window/name_order.h"

namespace window {
namespace {

TEST(NameOrderTest, CaseBlindWithExactTieBreakAndThaiByCodePoint) {
    std::vector<std::string> names = {"b", "B", "a10", "A2", "ก", "Zed", "_x", "ข", "a"};
    std::sort(names.begin(), names.end(), name_before);
    EXPECT_EQ(names, (std::vector<std::string>{"_x", "a", "a10", "A2", "B", "b", "Zed", "ก", "ข"}));
    EXPECT_FALSE(name_before("a", "a"));
}

TEST(NameOrderTest, PatternsMatchWithoutRegardToCase) {
    EXPECT_TRUE(matches_pattern("SONG.MID", "*.mid"));
    EXPECT_TRUE(matches_pattern("x.Lyr", "*.Lyr"));
    EXPECT_TRUE(matches_pattern("a.b.lyr", "*.Lyr"));
    EXPECT_TRUE(matches_pattern(".mid", "*.mid"));
    EXPECT_FALSE(matches_pattern("song.midi", "*.mid"));
    EXPECT_FALSE(matches_pattern("songmid", "*.mid"));
    EXPECT_TRUE(matches_pattern("ab.cur", "?b.*"));
}

}  // namespace
}  // namespace window
