#include "songdb/stored_song_paths.h"

#include <gtest/gtest.h>

#include <string>

namespace songdb {
namespace {

TEST(StoredSongPathsTest, FindsAStoredWindowsPathWrittenInAnyCase) {
    StoredSongPaths songs;
    songs.add_stored("D:\\Karaoke\\A.MID");
    songs.finish_reading();
    EXPECT_TRUE(songs.contains("d:/karaoke/a.mid"));
    EXPECT_FALSE(songs.contains("D:\\Karaoke\\B.MID"));
}

#ifndef _WIN32
TEST(StoredSongPathsTest, FindsAPathOfThisMachineOnlyAsStored) {
    StoredSongPaths songs;
    songs.add_stored("/media/Karaoke/A.mid");
    songs.finish_reading();
    EXPECT_TRUE(songs.contains("/media/Karaoke/A.mid"));
    EXPECT_FALSE(songs.contains("/media/karaoke/a.mid"));
}
#endif

TEST(StoredSongPathsTest, FindsEveryPathReadInWhateverOrder) {
    StoredSongPaths songs;
    for (int i = 999; i >= 0; --i) {
        songs.add_stored("D:\\Karaoke\\" + std::to_string(i * 7919 % 1000) + ".mid");
    }
    songs.finish_reading();
    for (int i = 0; i < 1000; ++i) {
        EXPECT_TRUE(songs.contains("D:\\Karaoke\\" + std::to_string(i) + ".mid")) << i;
    }
    EXPECT_FALSE(songs.contains("D:\\Karaoke\\1000.mid"));
}

TEST(StoredSongPathsTest, FindsThePathsStoredDuringTheRun) {
    StoredSongPaths songs;
    songs.finish_reading();
    EXPECT_FALSE(songs.contains("D:\\Karaoke\\A.MID"));
    songs.remember("D:\\Karaoke\\A.MID");
    EXPECT_TRUE(songs.contains("d:\\karaoke\\a.mid"));
}

// Songs stored during a long run are merged with those read in batches; none
// is lost on the way, whatever batch it fell in.
TEST(StoredSongPathsTest, FindsEverySongOfALongRunAcrossItsBatches) {
    StoredSongPaths songs;
    for (int i = 0; i < 3000; ++i) {
        songs.add_stored("D:\\Old\\" + std::to_string(i) + ".mid");
    }
    songs.finish_reading();
    constexpr int kStored = 20000;
    for (int i = 0; i < kStored; ++i) {
        const std::string path = "D:\\New\\" + std::to_string(i * 7919 % kStored) + ".mid";
        ASSERT_FALSE(songs.contains(path)) << path;
        songs.remember(path);
    }
    for (int i = 0; i < kStored; ++i) {
        EXPECT_TRUE(songs.contains("D:\\New\\" + std::to_string(i) + ".mid")) << i;
    }
    EXPECT_TRUE(songs.contains("D:\\Old\\2999.mid"));
    EXPECT_FALSE(songs.contains("D:\\New\\20000.mid"));
}

}  // namespace
}  // namespace songdb
