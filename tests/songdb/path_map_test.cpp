#include "songdb/path_map.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "window/native_text.h"

namespace songdb {
namespace {

PathMap map_of(std::initializer_list<PathMapping> mappings) {
    PathMap map;
    for (const PathMapping& mapping : mappings) {
        map.add(mapping);
    }
    return map;
}

// A folder of this machine, as parse_path_mapping makes FROM: absolute,
// with the system's separators and none at its end.
std::string folder_here(const std::string& name) {
    const std::filesystem::path folder =
        (std::filesystem::current_path() / name).lexically_normal();
    return window::text_of_path(folder, folder);
}

TEST(PathMapTest, MovesAPathUnderFromToTheSamePlaceUnderTo) {
    const PathMap map = map_of({{"/media/usb/Karaoke", "D:\\Karaoke"}});
    EXPECT_EQ(map.stored_path("/media/usb/Karaoke/midi/a/0001.mid"),
              "D:\\Karaoke\\midi\\a\\0001.mid");
}

TEST(PathMapTest, TheLongestFromThatHoldsThePathWinsWhateverTheOrder) {
    const PathMapping songs{"/k", "D:\\Karaoke"};
    const PathMapping lyrics{"/k/lyr", "E:\\Lyrics"};
    for (const PathMap& map : {map_of({songs, lyrics}), map_of({lyrics, songs})}) {
        EXPECT_EQ(map.stored_path("/k/lyr/pop/0001.Lyr"), "E:\\Lyrics\\pop\\0001.Lyr");
        EXPECT_EQ(map.stored_path("/k/midi/pop/0001.mid"), "D:\\Karaoke\\midi\\pop\\0001.mid");
    }
}

TEST(PathMapTest, ToWithADriveLetterOrTwoBackslashesTakesBackslashes) {
    EXPECT_EQ(map_of({{"/k", "D:\\Karaoke"}}).stored_path("/k/midi/0001.mid"),
              "D:\\Karaoke\\midi\\0001.mid");
    EXPECT_EQ(map_of({{"/k", "d:/Karaoke/Songs"}}).stored_path("/k/midi/0001.mid"),
              "d:\\Karaoke\\Songs\\midi\\0001.mid");
    EXPECT_EQ(map_of({{"/k", "\\\\player\\songs"}}).stored_path("/k/midi/0001.mid"),
              "\\\\player\\songs\\midi\\0001.mid");
    EXPECT_EQ(map_of({{"/k", "D:"}}).stored_path("/k/midi/0001.mid"), "D:\\midi\\0001.mid");
}

TEST(PathMapTest, ToWithoutDriveTakesTheSeparatorItHolds) {
    EXPECT_EQ(map_of({{"/k", "Karaoke\\Songs"}}).stored_path("/k/midi/0001.mid"),
              "Karaoke\\Songs\\midi\\0001.mid");
    EXPECT_EQ(map_of({{"/k", "/mnt/player"}}).stored_path("/k/midi/0001.mid"),
              "/mnt/player/midi/0001.mid");
}

TEST(PathMapTest, APathOutsideEveryFromIsUnchanged) {
    const PathMap map = map_of({{"/k/midi", "D:\\Karaoke"}});
    EXPECT_EQ(map.stored_path("/other/0001.mid"), "/other/0001.mid");
    // A name that only starts like FROM is another folder.
    EXPECT_EQ(map.stored_path("/k/midi2/0001.mid"), "/k/midi2/0001.mid");
    EXPECT_EQ(map.stored_path("/k/0001.mid"), "/k/0001.mid");
    EXPECT_EQ(PathMap().stored_path("/k/midi/0001.mid"), "/k/midi/0001.mid");
}

TEST(PathMapTest, FromItselfBecomesTo) {
    EXPECT_EQ(map_of({{"/k", "D:\\Karaoke"}}).stored_path("/k"), "D:\\Karaoke");
}

TEST(PathMapTest, ARootFromOrToKeepsItsOneSeparator) {
    EXPECT_EQ(map_of({{"/", "D:\\"}}).stored_path("/midi/0001.mid"), "D:\\midi\\0001.mid");
    EXPECT_EQ(map_of({{"/k", "/"}}).stored_path("/k/midi/0001.mid"), "/midi/0001.mid");
}

TEST(ParsePathMappingTest, SplitsAtTheFirstEqualsSignAndDropsTrailingSeparators) {
    const PathMapping mapping = parse_path_mapping(folder_here("k") + "/=D:\\Kara=oke\\");
    EXPECT_EQ(mapping.from, folder_here("k"));
    EXPECT_EQ(mapping.to, "D:\\Kara=oke");
    PathMap map;
    map.add(mapping);
    EXPECT_EQ(map.stored_path(folder_here("k") + "/midi/0001.mid"), "D:\\Kara=oke\\midi\\0001.mid");
}

TEST(ParsePathMappingTest, MakesARelativeFromAbsoluteAgainstTheCurrentFolder) {
    EXPECT_EQ(parse_path_mapping("songs/./midi=/mnt/midi").from, folder_here("songs/midi"));
}

TEST(ParsePathMappingTest, KeepsTheSeparatorOfADriveRoot) {
    EXPECT_EQ(parse_path_mapping(folder_here("k") + "=D:\\").to, "D:\\");
}

TEST(ParsePathMappingTest, RefusesAnArgumentWithoutBothSides) {
    for (const char* text : {"/k", "=D:\\Karaoke", "/k=", ""}) {
        try {
            parse_path_mapping(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const std::invalid_argument& e) {
            EXPECT_NE(std::string(e.what()).find("--map-path needs FROM=TO"), std::string::npos)
                << e.what();
            EXPECT_NE(std::string(e.what()).find("got '" + std::string(text) + "'"),
                      std::string::npos)
                << e.what();
        }
    }
}

}  // namespace
}  // namespace songdb
