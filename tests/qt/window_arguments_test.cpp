// The window's command line sorted into its own options, --help and Qt's.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "qt/window_arguments.h"
#include "songdb/update_options.h"

namespace listsong_qt {
namespace {

using Args = std::vector<std::string>;

TEST(WindowArgumentsTest, QtOptionsKeepTheirValuesAndTheWindowsKeepTheirs) {
    const WindowArguments sorted = sort_window_arguments(
        {"-platform", "offscreen", "--db", "a.mdb", "-reverse", "--codepage", "874"});
    EXPECT_FALSE(sorted.help);
    EXPECT_EQ(sorted.toolkit, (Args{"-platform", "offscreen", "-reverse"}));
    EXPECT_EQ(sorted.own, (Args{"--db", "a.mdb", "--codepage", "874"}));
}

TEST(WindowArgumentsTest, HelpIsAskedWhereAnOptionMayStand) {
    EXPECT_TRUE(sort_window_arguments({"--help"}).help);
    EXPECT_TRUE(sort_window_arguments({"--db", "a.mdb", "--help", "--codepage", "x"}).help);
    EXPECT_TRUE(sort_window_arguments({"-style", "fusion", "--help"}).help);
}

TEST(WindowArgumentsTest, TheValueOfAnOptionIsTakenAsItIsEvenWhenItLooksLikeAnOption) {
    const WindowArguments sorted = sort_window_arguments({"--db", "--help", "--map-path", "-x=y"});
    EXPECT_FALSE(sorted.help);
    EXPECT_EQ(sorted.own, (Args{"--db", "--help", "--map-path", "-x=y"}));
    EXPECT_TRUE(sorted.toolkit.empty());
}

// What belongs to no option is refused by the window's parser, before Qt and
// its display are needed.
TEST(WindowArgumentsTest, AnArgumentOfNoOptionIsRefusedAsTheWindowsOwn) {
    const WindowArguments sorted = sort_window_arguments({"--codepage", "874", "songs.mdb"});
    EXPECT_EQ(sorted.own, (Args{"--codepage", "874", "songs.mdb"}));
    EXPECT_TRUE(sorted.toolkit.empty());
    try {
        songdb::parse_update_options(sorted.own);
        FAIL() << "songs.mdb was taken";
    } catch (const std::invalid_argument& refusal) {
        EXPECT_NE(std::string(refusal.what()).find("'songs.mdb'"), std::string::npos)
            << refusal.what();
    }
}

TEST(WindowArgumentsTest, AnOptionWithoutItsValueIsLeftForTheParserToRefuse) {
    const WindowArguments sorted = sort_window_arguments({"-reverse", "--db"});
    EXPECT_EQ(sorted.toolkit, (Args{"-reverse"}));
    EXPECT_EQ(sorted.own, (Args{"--db"}));
    EXPECT_THROW(songdb::parse_update_options(sorted.own), std::invalid_argument);
}

}  // namespace
}  // namespace listsong_qt
