#include "songdb/path_comparison.h"

#include <gtest/gtest.h>

#include <string>

namespace songdb {
namespace {

bool same_file(const std::string& a, const std::string& b) {
    return path_comparison_key(a) == path_comparison_key(b);
}

TEST(PathComparisonTest, AWindowsPathNamesTheSameFileInAnyCaseWithEitherSeparator) {
    EXPECT_TRUE(same_file("D:\\Karaoke\\A.MID", "d:/karaoke/a.mid"));
    EXPECT_TRUE(same_file("\\\\Player\\Songs\\0001.mid", "\\\\PLAYER/songs/0001.MID"));
    EXPECT_FALSE(same_file("D:\\Karaoke\\A.MID", "D:\\Karaoke\\B.MID"));
    EXPECT_FALSE(same_file("D:\\Karaoke\\A.MID", "E:\\Karaoke\\A.MID"));
}

TEST(PathComparisonTest, CaseIsFoldedBeyondAsciiInLatinGreekAndCyrillic) {
    EXPECT_TRUE(same_file("D:\\Café\\Ÿ.mid", "d:\\CAFÉ\\ÿ.mid"));
    EXPECT_TRUE(same_file("D:\\Ĺudia\\Žena\\Āb.mid", "d:\\ĺudia\\žena\\āB.mid"));
    EXPECT_TRUE(same_file("D:\\Ωδή\\Ϊόν\\Песни\\Ёж.mid", "d:\\ωΔΉ\\ϊΌΝ\\пЕСНИ\\ёЖ.mid"));
    EXPECT_FALSE(same_file("D:\\é.mid", "D:\\e.mid"));
}

TEST(PathComparisonTest, ThaiHasNoCaseAndStaysAsItIs) {
    EXPECT_EQ(path_comparison_key("d:\\เพลง\\รัก.mid"), "D:\\เพลง\\รัก.MID");
    EXPECT_FALSE(same_file("D:\\เพลง\\รัก.mid", "D:\\เพลง\\รก.mid"));
}

TEST(PathComparisonTest, BytesThatAreNoUtf8StayAsTheyAre) {
    EXPECT_EQ(path_comparison_key("d:\\a\xFF"
                                  "b\xC3"),
              "D:\\A\xFF"
              "B\xC3");
    EXPECT_FALSE(same_file("D:\\\xE0.mid", "D:\\\xC0.mid"));
}

#ifndef _WIN32
TEST(PathComparisonTest, APathOfThisMachineIsComparedExactly) {
    EXPECT_EQ(path_comparison_key("/media/Karaoke/A.mid"), "/media/Karaoke/A.mid");
    EXPECT_FALSE(same_file("/media/Karaoke/A.mid", "/media/karaoke/a.mid"));
    EXPECT_FALSE(same_file("/media/Karaoke/A.mid", "\\media\\Karaoke\\A.mid"));
    EXPECT_TRUE(same_native_name("/media/Karaoke", "/media/Karaoke"));
    EXPECT_FALSE(same_native_name("/media/Karaoke", "/media/KARAOKE"));
}
#else
TEST(PathComparisonTest, EveryPathOfThisMachineIsAWindowsPath) {
    EXPECT_TRUE(same_file("C:\\Karaoke\\A.mid", "c:/karaoke/a.MID"));
    EXPECT_TRUE(same_native_name("C:\\Karaoke", "c:\\KARAOKE"));
}
#endif

}  // namespace
}  // namespace songdb
