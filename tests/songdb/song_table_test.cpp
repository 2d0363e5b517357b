// The Song table a new catalogue is created with, as the engine reads it
// back: the columns, their types and sizes, the autonumber key and the
// indexes that the update and the catalogue's other readers rely on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jet/create_database.h"
#include "jet/database.h"
#include "songdb/song_table.h"
#include "tests/support/memory_file_system.h"

namespace {

TEST(SongTableTest, ANewCatalogueHoldsTheSevenColumnsAndFourIndexesOfTheSongTable) {
    jet_test::MemoryFileSystem memory;
    jet::CreateOptions create;
    create.file_system = &memory;
    jet::create_database("LISTSONG.mdb", songdb::song_table(), create);
    jet::OpenOptions open;
    open.code_page = 1252;
    open.file_system = &memory;
    const auto db = jet::Database::open("LISTSONG.mdb", open);
    EXPECT_EQ(db->table_names(), std::vector<std::string>{"Song"});
    const jet::TableDefinition& table = db->table("Song");

    std::vector<std::string> columns;
    for (const jet::Column& column : table.columns) {
        columns.push_back(column.name +
                          (column.type == jet::ColumnType::Text ? " Text " : " Long ") +
                          std::to_string(column.size) + " flags " +
                          std::to_string(static_cast<int>(column.flags)) +
                          (column.long_autonumber() ? " autonumber" : ""));
    }
    EXPECT_EQ(columns,
              (std::vector<std::string>{"ID Long 4 flags 7 autonumber", "songID Text 10 flags 2",
                                        "songName Text 100 flags 2", "artid Text 100 flags 2",
                                        "MidPath Text 255 flags 2", "CurPath Text 255 flags 2",
                                        "Lyrpath Text 255 flags 2"}));

    std::vector<std::string> indexes;
    for (const jet::LogicalIndex& index : table.logical_indexes) {
        const jet::RealIndex& real = table.real_indexes.at(index.real_index);
        std::string line = index.name + " on";
        for (const jet::IndexColumn& column : real.columns) {
            line += " " + table.columns.at(column.column_number).name;
        }
        line += " flags " + std::to_string(static_cast<int>(real.flags));
        if (index.kind == jet::IndexKind::PrimaryKey) {
            line += " primary key";
        }
        indexes.push_back(line);
    }
    EXPECT_EQ(indexes, (std::vector<std::string>{
                           "artid on artid flags 0", "PrimaryKey on ID flags 9 primary key",
                           "songID on songID flags 0", "songName on songName flags 0"}));
    EXPECT_EQ(table.row_count, 0u);
}

}  // namespace
