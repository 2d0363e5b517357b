// A new catalogue from create_database: its structure against the file Access
// 97 made (acc97.mdb), the check, the independent readers (mdbtools and
// mdb-reader), rows appended at once, and the refusal to overwrite a file.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "jet/check.h"
#include "jet/create_database.h"
#include "jet/database.h"
#include "jet/error.h"
#include "jet/table_writer.h"
#include "jet/write_error.h"
#include "tests/support/fixtures.h"
#include "tests/support/programs.h"
#include "tests/support/song_shaped_table.h"

namespace {

namespace fs = std::filesystem;
using jet_test::require_program;
using jet_test::run_command;

// A path in the temporary folder for a database the test creates; the file
// is removed when the object goes.
class NewFile {
  public:
    NewFile() {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = fs::temp_directory_path() / (std::string("create-") + test->name() + "-" +
                                             std::to_string(std::random_device{}()) + ".mdb");
    }
    ~NewFile() { fs::remove(path_); }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

std::unique_ptr<jet::Database> open(const fs::path& path, bool writable = false) {
    jet::OpenOptions options;
    options.code_page = 1252;
    options.writable = writable;
    return jet::Database::open(path, options);
}

void expect_check_passes(const fs::path& path) {
    const auto db = open(path);
    const jet::CheckReport report = jet::check_database(*db);
    for (const jet::Finding& finding : report.findings) {
        ADD_FAILURE() << jet::format_finding(finding);
    }
    EXPECT_TRUE(report.ok());
}

// A table's structure in words: one line per column and per index, the
// fields readers and Access use.
std::vector<std::string> structure(const jet::TableDefinition& table) {
    std::vector<std::string> lines;
    lines.push_back("table type " + std::to_string(table.table_type) + ", max columns " +
                    std::to_string(table.max_columns) + ", variable " +
                    std::to_string(table.max_variable_columns));
    for (const jet::Column& c : table.columns) {
        std::ostringstream line;
        line << "column " << c.number << " " << c.name << " type " << static_cast<int>(c.type)
             << " size " << c.size << " flags " << static_cast<int>(c.flags) << " sort "
             << c.sort_order << " code page " << c.code_page;
        if (c.fixed()) {
            line << " fixed at " << c.fixed_offset;
        } else {
            line << " variable slot " << c.variable_index;
        }
        lines.push_back(line.str());
    }
    for (const jet::RealIndex& index : table.real_indexes) {
        std::ostringstream line;
        line << "real index " << index.number << " flags " << static_cast<int>(index.flags)
             << " columns";
        for (const jet::IndexColumn& column : index.columns) {
            line << " " << column.column_number << (column.ascending ? "+" : "-");
        }
        lines.push_back(line.str());
    }
    for (const jet::LogicalIndex& index : table.logical_indexes) {
        lines.push_back("index " + index.name + " number " + std::to_string(index.number) +
                        " real " + std::to_string(index.real_index) + " kind " +
                        std::to_string(static_cast<int>(index.kind)));
    }
    lines.push_back(std::to_string(table.long_value_maps.size()) + " long-value columns");
    return lines;
}

std::set<std::string> catalogue_names(const jet::Database& db) {
    std::set<std::string> names;
    for (const jet::CatalogueEntry& entry : db.catalogue()) {
        names.insert(entry.name);
    }
    return names;
}

// A song as the update stores it: the three paths name the artist and title.
std::vector<std::optional<jet::Value>> song(const std::string& id, const std::string& name,
                                            const std::string& artist) {
    const std::string file = artist + "\\" + id + " - " + name;
    return {std::nullopt,
            jet::Value{jet::Text{id}},
            jet::Value{jet::Text{name}},
            jet::Value{jet::Text{artist}},
            jet::Value{jet::Text{"D:\\Karaoke\\MIDI\\" + file + ".mid"}},
            jet::Value{jet::Text{"D:\\Karaoke\\CUR\\" + file + ".cur"}},
            jet::Value{jet::Text{"D:\\Karaoke\\LYR\\" + file + ".lyr"}}};
}

TEST(CreateDatabaseTest, SystemTablesMatchTheFileAccess97MadeColumnByColumn) {
    SKIP_WITHOUT_FIXTURES();
    NewFile file;
    jet::create_database(file.path(), jet_test::song_shaped_table());
    const auto made = open(file.path());
    const auto access = open(jet_test::fixture("acc97.mdb"));
    for (const char* name : {"MSysObjects", "MSysACEs", "MSysQueries", "MSysRelationships"}) {
        const jet::TableDefinition& ours = made->table(name);
        EXPECT_EQ(structure(ours), structure(access->table(name))) << name;
        EXPECT_EQ(ours.page, access->table(name).page) << name;
    }
    // Access adds its own objects when it first opens a database: the
    // document objects, its module tables and the layout of its windows.
    std::set<std::string> only_in_access;
    for (const std::string& name : catalogue_names(*access)) {
        if (!catalogue_names(*made).contains(name)) {
            only_in_access.insert(name);
        }
    }
    EXPECT_EQ(only_in_access, (std::set<std::string>{"AccessLayout", "MSysModules", "MSysModules2",
                                                     "SummaryInfo", "Table1", "UserDefined"}));
    EXPECT_TRUE(catalogue_names(*made).contains("Song"));
}

TEST(CreateDatabaseTest, UserTableHasTheColumnsAndIndexesItWasGivenAndPassesTheCheck) {
    NewFile file;
    jet::create_database(file.path(), jet_test::song_shaped_table());
    expect_check_passes(file.path());
    const auto db = open(file.path());
    EXPECT_EQ(db->header().sort_order, 1033);
    EXPECT_EQ(db->header().code_page, 1252);
    EXPECT_EQ(db->table_names(), std::vector<std::string>{"Song"});
    const jet::TableDefinition& table = db->table("Song");
    EXPECT_EQ(
        structure(table),
        (std::vector<std::string>{
            "table type 78, max columns 7, variable 6",
            "column 0 ID type 4 size 4 flags 7 sort 1033 code page 1252 fixed at 0",
            "column 1 songID type 10 size 10 flags 2 sort 1033 code page 1252 variable slot 0",
            "column 2 songName type 10 size 100 flags 2 sort 1033 code page 1252 variable "
            "slot 1",
            "column 3 artid type 10 size 100 flags 2 sort 1033 code page 1252 variable slot 2",
            "column 4 MidPath type 10 size 255 flags 2 sort 1033 code page 1252 variable "
            "slot 3",
            "column 5 CurPath type 10 size 255 flags 2 sort 1033 code page 1252 variable "
            "slot 4",
            "column 6 Lyrpath type 10 size 255 flags 2 sort 1033 code page 1252 variable "
            "slot 5",
            "real index 0 flags 9 columns 0+", "real index 1 flags 0 columns 1+",
            "real index 2 flags 0 columns 2+", "real index 3 flags 0 columns 3+",
            "index artid number 3 real 3 kind 0", "index PrimaryKey number 0 real 0 kind 1",
            "index songID number 1 real 1 kind 0", "index songName number 2 real 2 kind 0",
            "0 long-value columns"}));
    EXPECT_EQ(table.row_count, 0u);
}

TEST(CreateDatabaseTest, RefusesAnExistingFileAndLeavesItAlone) {
    NewFile file;
    jet::create_database(file.path(), jet_test::song_shaped_table());
    const auto before = jet_test::read_bytes(file.path());
    EXPECT_THROW(jet::create_database(file.path(), jet_test::song_shaped_table()), jet::Error);
    EXPECT_EQ(jet_test::read_bytes(file.path()), before);
    EXPECT_THROW(jet::create_database(file.path().parent_path() / "no-such-folder" / "x.mdb",
                                      jet_test::song_shaped_table()),
                 jet::Error);
}

TEST(CreateDatabaseTest, RowsAppendedAtOnceReadBackWithTheirAutonumbers) {
    NewFile file;
    jet::create_database(file.path(), jet_test::song_shaped_table());
    {
        const auto db = open(file.path(), true);
        jet::TableWriter writer(*db, "Song");
        writer.insert(song("K0001", "Yesterday", "Artist A"));
        writer.insert(song("K0002", "Hello", "Artist B"));
        writer.insert(song("K0003", "Zebra", "Artist A"));
        db->close();
    }
    expect_check_passes(file.path());
    const auto db = open(file.path());
    const jet::TableDefinition& table = db->table("Song");
    EXPECT_EQ(table.row_count, 3u);
    EXPECT_EQ(table.last_autonumber, 3u);
    std::vector<std::string> rows;
    db->for_each_row(table, [&](jet::RowPointer, const std::vector<jet::Value>& row) {
        rows.push_back(std::to_string(std::get<std::int32_t>(row[0])) + " " +
                       std::get<jet::Text>(row[1]).bytes);
    });
    EXPECT_EQ(rows, (std::vector<std::string>{"1 K0001", "2 K0002", "3 K0003"}));

    if (require_program("mdb-export")) {
        EXPECT_EQ(run_command("mdb-export -Q '" + file.path().string() + "' Song"),
                  "ID,songID,songName,artid,MidPath,CurPath,Lyrpath\n"
                  "1,K0001,Yesterday,Artist A,D:\\Karaoke\\MIDI\\Artist A\\K0001 - Yesterday.mid,"
                  "D:\\Karaoke\\CUR\\Artist A\\K0001 - Yesterday.cur,"
                  "D:\\Karaoke\\LYR\\Artist A\\K0001 - Yesterday.lyr\n"
                  "2,K0002,Hello,Artist B,D:\\Karaoke\\MIDI\\Artist B\\K0002 - Hello.mid,"
                  "D:\\Karaoke\\CUR\\Artist B\\K0002 - Hello.cur,"
                  "D:\\Karaoke\\LYR\\Artist B\\K0002 - Hello.lyr\n"
                  "3,K0003,Zebra,Artist A,D:\\Karaoke\\MIDI\\Artist A\\K0003 - Zebra.mid,"
                  "D:\\Karaoke\\CUR\\Artist A\\K0003 - Zebra.cur,"
                  "D:\\Karaoke\\LYR\\Artist A\\K0003 - Zebra.lyr\n");
    }
}

// The counts of a definition read in the session that inserts rows follow the
// inserts, in the writer's definition and in the database's.
TEST(CreateDatabaseTest, CountsReadDuringTheSessionIncludeItsInserts) {
    NewFile file;
    jet::create_database(file.path(), jet_test::song_shaped_table());
    const auto db = open(file.path(), true);
    const jet::TableDefinition& before = db->table("Song");
    EXPECT_EQ(before.row_count, 0u);
    jet::TableWriter writer(*db, "Song");
    writer.insert(song("K0001", "Yesterday", "Artist A"));
    writer.insert(song("K0002", "Hello", "Artist B"));
    writer.insert(song("K0003", "Zebra", "Artist A"));
    EXPECT_THROW(writer.insert(song("K0004 is too long", "Refused", "Artist C")),
                 jet::WriteRefused);

    const std::vector<std::uint32_t> distinct_keys = {3, 3, 3, 2};  // ID, songID, songName, artid
    for (const jet::TableDefinition* table : {&writer.table(), &db->table("Song")}) {
        EXPECT_EQ(table->row_count, 3u);
        EXPECT_EQ(table->last_autonumber, 3u);
        ASSERT_EQ(table->real_indexes.size(), distinct_keys.size());
        for (std::size_t i = 0; i < distinct_keys.size(); ++i) {
            EXPECT_EQ(table->real_indexes[i].unique_entry_count, distinct_keys[i]) << i;
        }
    }
    db->close();

    const auto reopened = open(file.path());
    const jet::TableDefinition& saved = reopened->table("Song");
    EXPECT_EQ(saved.row_count, 3u);
    EXPECT_EQ(saved.last_autonumber, 3u);
    for (std::size_t i = 0; i < distinct_keys.size(); ++i) {
        EXPECT_EQ(saved.real_indexes[i].unique_entry_count, distinct_keys[i]) << i;
    }
}

// What mdb-reader sees: the user's tables, then per column of Song its name,
// type, size and whether it is an autonumber, then the number of rows.
std::string mdb_reader_schema(const fs::path& file) {
    const std::string source = LISTSONG_SOURCE;
    const std::string script =
        "const {default: R} = await import('mdb-reader');"
        "const fs = await import('node:fs');"
        "const r = new R(fs.readFileSync(process.argv[1]));"
        "console.log(r.getTableNames().join(','));"
        "const t = r.getTable('Song');"
        "for (const c of t.getColumns()) console.log(c.name, c.type, c.size, c.autoLong);"
        "console.log(t.rowCount);";
    return run_command("cd '" + std::string(source) +
                       "/tests/tools' && node --input-type=module -e \"" + script + "\" '" +
                       file.string() + "'");
}

TEST(CreateDatabaseTest, IndependentReadersSeeExactlyTheSongSchema) {
#ifdef _WIN32
    GTEST_SKIP() << "mdbtools and node are Linux programs, out of reach under Wine";
#endif
    NewFile file;
    jet::create_database(file.path(), jet_test::song_shaped_table());
    if (require_program("mdb-tables")) {
        EXPECT_EQ(run_command("mdb-tables -1 '" + file.path().string() + "'"), "Song\n");
        EXPECT_EQ(run_command("mdb-tables -S -1 '" + file.path().string() + "'"),
                  "MSysObjects\nMSysACEs\nMSysQueries\nMSysRelationships\nSong\n");
    }
    if (require_program("mdb-schema")) {
        const std::string schema =
            run_command("mdb-schema --indexes '" + file.path().string() + "' postgres 2>/dev/null");
        EXPECT_NE(schema.find("CREATE TABLE IF NOT EXISTS \"song\"\n (\n"
                              "\t\"id\"\t\t\tSERIAL, \n"
                              "\t\"songid\"\t\t\tVARCHAR (10), \n"
                              "\t\"songname\"\t\t\tVARCHAR (100), \n"
                              "\t\"artid\"\t\t\tVARCHAR (100), \n"
                              "\t\"midpath\"\t\t\tVARCHAR (255), \n"
                              "\t\"curpath\"\t\t\tVARCHAR (255), \n"
                              "\t\"lyrpath\"\t\t\tVARCHAR (255)\n);\n"),
                  std::string::npos)
            << schema;
        EXPECT_NE(schema.find("CREATE INDEX \"song_artid_idx\" ON \"song\" (\"artid\");\n"
                              "ALTER TABLE \"song\" ADD CONSTRAINT \"song_pkey\" PRIMARY KEY "
                              "(\"id\");\n"
                              "CREATE INDEX \"song_songid_idx\" ON \"song\" (\"songid\");\n"
                              "CREATE INDEX \"song_songname_idx\" ON \"song\" (\"songname\");\n"),
                  std::string::npos)
            << schema;
        EXPECT_EQ(run_command("mdb-export '" + file.path().string() + "' Song"),
                  "ID,songID,songName,artid,MidPath,CurPath,Lyrpath\n");
    }
    if (require_program("node")) {
        EXPECT_EQ(mdb_reader_schema(file.path()),
                  "Song\nID long 4 true\nsongID text 10 false\nsongName text 100 false\n"
                  "artid text 100 false\nMidPath text 255 false\nCurPath text 255 false\n"
                  "Lyrpath text 255 false\n0\n");
    }
}

// 100,000 songs take the file past 27 MB, more pages than an inline global
// usage map on page 1 can hold: the map turns into a reference map.
TEST(CreateDatabaseTest, HundredThousandSongsPassTheCheckAndBothReaders) {
    NewFile file;
    jet::create_database(file.path(), jet_test::song_shaped_table());
    constexpr int kSongs = 100000;
    {
        const auto db = open(file.path(), true);
        jet::TableWriter writer(*db, "Song");
        std::mt19937 random(7);
        for (int i = 0; i < kSongs; ++i) {
            const std::string id = "S" + std::to_string(1000000 + i);
            writer.insert(
                song(id, "Song title " + std::to_string(random() % 1000000) + " of the catalogue",
                     "Artist " + std::to_string(random() % 5000) + " and the band"));
        }
        db->close();
    }
    EXPECT_GT(fs::file_size(file.path()), 27u * 1024 * 1024);
    const auto page1 = jet_test::read_bytes(file.path());
    const std::size_t map_row = (page1[2048 + 10] | (page1[2048 + 11] << 8)) & 0x1FFF;
    EXPECT_EQ(page1[2048 + map_row], 0x01) << "the global usage map is still inline";
    expect_check_passes(file.path());
    {
        const auto db = open(file.path());
        const jet::TableDefinition& table = db->table("Song");
        EXPECT_EQ(table.row_count, static_cast<std::uint32_t>(kSongs));
        EXPECT_EQ(table.last_autonumber, static_cast<std::uint32_t>(kSongs));
        EXPECT_EQ(table.real_indexes[0].unique_entry_count, static_cast<std::uint32_t>(kSongs));
        EXPECT_EQ(table.real_indexes[1].unique_entry_count, static_cast<std::uint32_t>(kSongs));
    }
    if (require_program("mdb-export")) {
        const std::string out =
            run_command("mdb-export -H '" + file.path().string() + "' Song | wc -l");
        EXPECT_EQ(std::stoi(out), kSongs);
        EXPECT_EQ(run_command("mdb-export -H '" + file.path().string() +
                              "' Song | tail -1 | cut -d, -f1,2"),
                  "100000,\"S1099999\"\n");
    }
    if (require_program("node")) {
        const std::string schema = mdb_reader_schema(file.path());
        EXPECT_EQ(schema.substr(schema.rfind('\n', schema.size() - 2) + 1), "100000\n");
    }
}

}  // namespace
