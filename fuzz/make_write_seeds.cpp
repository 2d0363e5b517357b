// Writes the write fuzzer's seeds that come from new catalogues: a song
// catalogue (the tests' song_shaped_table()), empty and with 300 songs, and a
// catalogue whose one table has a column of every type and indexes over
// several of them, empty and with 40 rows. Each seed is the write fuzzer's
// control block (write_fuzzer.cpp) followed by the file. The catalogues are
// made in memory, with a fixed creation time, so the output is the same on
// every run.
//
// usage: make_write_seeds OUT_DIR   (OUT_DIR is created; its seeds replaced)
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "jet/create_database.h"
#include "jet/database.h"
#include "jet/table_writer.h"
#include "jet/value_parse.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/song_shaped_table.h"

namespace {

namespace fs = std::filesystem;
using Control = std::array<std::uint8_t, 8>;

const fs::path kPath = "seed.mdb";

jet::NewTable every_type_table() {
    using T = jet::ColumnType;
    constexpr std::uint8_t kFixed = jet::Column::kUpdatable | jet::Column::kFixed;
    jet::NewTable table;
    table.name = "Everything";
    table.columns = {{"ID", T::Long, 0, kFixed | jet::Column::kLongAutonumber},
                     {"Title", T::Text, 50, jet::Column::kUpdatable},
                     {"Notes", T::Memo, 0, jet::Column::kUpdatable},
                     {"Picture", T::Ole, 0, jet::Column::kUpdatable},
                     {"Code", T::Binary, 16, jet::Column::kUpdatable},
                     {"Key", T::Guid, 0, kFixed},
                     {"Added", T::DateTime, 0, kFixed},
                     {"Price", T::Currency, 0, kFixed},
                     {"Rating", T::Double, 0, kFixed},
                     {"Score", T::Single, 0, kFixed},
                     {"Track", T::Integer, 0, kFixed},
                     {"Disc", T::Byte, 0, kFixed},
                     {"Duet", T::Boolean, 0, kFixed}};
    table.indexes = {{"PrimaryKey",
                      {0},
                      jet::RealIndex::kUnique | jet::RealIndex::kRequired,
                      jet::IndexKind::PrimaryKey},
                     {"Title", {1}, 0, jet::IndexKind::Other},
                     {"AddedTitle",
                      {6, 1},
                      jet::RealIndex::kUnique | jet::RealIndex::kIgnoreNulls,
                      jet::IndexKind::Other},
                     {"Price", {7}, 0, jet::IndexKind::Other},
                     {"RatingScore", {8, 9, 10, 11, 12}, 0, jet::IndexKind::Other}};
    return table;
}

// The row's values from their text forms, one per column; empty text leaves
// the column unset.
void insert_texts(jet::Database& db, jet::TableWriter& writer,
                  const std::vector<std::string>& texts) {
    std::vector<std::optional<jet::Value>> row(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (!texts[i].empty()) {
            row[i] = jet::value_from_text(texts[i], writer.table().columns[i], db.code_page());
        }
    }
    writer.insert(row);
}

void add_songs(jet::Database& db, int count) {
    jet::TableWriter writer(db, "Song");
    const std::vector<std::string> artists = {"วงดนตรี", "นักร้อง", "Band", "Anna", "ศิลปิน"};
    for (int n = 1; n <= count; ++n) {
        const std::string number = std::to_string(10000 + n);
        const std::string artist = artists[static_cast<std::size_t>(n) % artists.size()];
        insert_texts(
            db, writer,
            {"", number, "เพลง " + number + " " + artist, artist, "D:\\Midi\\" + number + ".mid",
             "D:\\Cur\\" + number + ".cur", n % 7 == 0 ? "" : "D:\\Lyr\\" + number + ".lyr"});
    }
}

void add_everything(jet::Database& db, int count) {
    jet::TableWriter writer(db, "Everything");
    for (int n = 1; n <= count; ++n) {
        const std::string i = std::to_string(n);
        const std::string day = (n % 28 < 9 ? "0" : "") + std::to_string(n % 28 + 1);
        insert_texts(
            db, writer,
            {"", "Title " + std::to_string(n % 13), std::string(n * 97, 'm'),
             n % 3 == 0 ? "" : std::string(static_cast<std::size_t>(n) * 20, 'a'),
             "00ff" + std::string(static_cast<std::size_t>(n % 6) * 2, '1'),
             "{6F9619FF-8B86-D011-B42D-00C04FC964" + std::to_string(10 + n) + "}",
             "2024-02-" + day + " 12:" + std::to_string(10 + n % 50), "-" + i + ".125",
             i + "e" + std::to_string(n % 40 - 20), "0." + i, std::to_string(n * 500 - 10000),
             std::to_string(n * 6), n % 2 ? "Yes" : "No"});
    }
}

std::vector<std::uint8_t> catalogue(const jet::NewTable& table, int rows) {
    jet_test::MemoryFileSystem memory;
    jet::CreateOptions create;
    create.created = jet::DateTime{45000.25};
    create.file_system = &memory;
    jet::create_database(kPath, table, create);
    if (rows > 0) {
        jet::OpenOptions options;
        options.code_page = 874;
        options.writable = true;
        options.file_system = &memory;
        const auto db = jet::Database::open(kPath, options);
        if (table.name == "Song") {
            add_songs(*db, rows);
        } else {
            add_everything(*db, rows);
        }
        db->close();
    }
    return *memory.file(kPath);
}

void write_seed(const fs::path& path, const Control& control,
                const std::vector<std::uint8_t>& image) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(control.data()), control.size());
    out.write(reinterpret_cast<const char*>(image.data()),
              static_cast<std::streamsize>(image.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_write_seeds OUT_DIR\n";
        return 2;
    }
    try {
        const fs::path out = argv[1];
        fs::create_directories(out);
        for (const auto& entry : fs::directory_iterator(out)) {
            if (entry.path().extension() == ".seed") {
                fs::remove(entry.path());
            }
        }
        // Control: rows, table, options (cache, journal, text forms, code
        // page 874), unused, seed.
        const std::vector<std::uint8_t> songs = catalogue(jet_test::song_shaped_table(), 0);
        write_seed(out / "song-empty.seed", {4, 0, 0x03, 0, 1, 0, 0, 0}, songs);
        write_seed(out / "song-empty-text.seed", {8, 0, 0x18, 0, 2, 0, 0, 0}, songs);
        write_seed(out / "song-300.seed", {8, 0, 0x01, 0, 3, 0, 0, 0},
                   catalogue(jet_test::song_shaped_table(), 300));
        write_seed(out / "every-type-empty.seed", {8, 0, 0x07, 0, 4, 0, 0, 0},
                   catalogue(every_type_table(), 0));
        const std::vector<std::uint8_t> every_type = catalogue(every_type_table(), 40);
        write_seed(out / "every-type-40.seed", {8, 0, 0x00, 0, 5, 0, 0, 0}, every_type);
        write_seed(out / "every-type-40-text.seed", {8, 0, 0x09, 0, 6, 0, 0, 0}, every_type);
        std::cout << "make_write_seeds: 6 seeds in " << out.string() << "\n";
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "make_write_seeds: " << e.what() << "\n";
        return 1;
    }
}
