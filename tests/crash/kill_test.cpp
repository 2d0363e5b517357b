// `listsong import` of 20,000 songs into a new catalogue, killed with SIGKILL
// after a random delay, over and over (resuming with the rows not yet
// stored), at least 100 times. After every kill a second program that opens
// the file is itself killed at a random moment, possibly in the middle of
// the roll-back; then the file is opened (which finishes the roll-back) and
// must pass `listsong check`, and the songs present must be exactly the
// first rows of the CSV, with autonumbers 1, 2, 3, ...
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "jet/create_database.h"
#include "jet/database.h"
#include "jet/journal.h"
#include "songdb/song_table.h"

namespace {

namespace fs = std::filesystem;

constexpr int kSongs = 20000;
constexpr int kKills = 100;

std::string song_id(int n) {
    char text[16];
    std::snprintf(text, sizeof text, "S%05d", n);
    return text;
}

void write_csv(const fs::path& path, int first) {
    std::ofstream out(path, std::ios::trunc);
    out << "songID,songName,artid,MidPath,CurPath,Lyrpath\n";
    for (int n = first; n < kSongs; ++n) {
        const std::string id = song_id(n);
        out << id << ",Song " << (n * 7919 % 5003) << ",Artist " << (n % 97) << ",D:\\MIDI\\" << id
            << ".mid,D:\\CUR\\" << id << ".cur,D:\\LYR\\" << id << ".lyr\n";
    }
}

pid_t start(const std::vector<std::string>& args) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::vector<char*> argv;
        for (const std::string& arg : args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return child;
}

// The exit status, or -1 when SIGKILL ended the program.
int wait_for(pid_t child) {
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void sleep_microseconds(long us) {
    timespec t{us / 1000000, (us % 1000000) * 1000};
    while (::nanosleep(&t, &t) != 0) {
    }
}

// Opens the file (rolling back an unfinished insert) and returns the number
// of songs after checking that they are the first rows of the CSV in order.
int songs_present(const fs::path& path) {
    jet::OpenOptions options;
    options.code_page = 1252;
    const auto db = jet::Database::open(path, options);
    std::vector<std::pair<std::int32_t, std::string>> rows;
    db->for_each_row(db->table("Song"), [&](jet::RowPointer, const std::vector<jet::Value>& row) {
        rows.emplace_back(std::get<std::int32_t>(row[0]), std::get<jet::Text>(row[1]).bytes);
    });
    std::sort(rows.begin(), rows.end());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].first != static_cast<std::int32_t>(i + 1) ||
            rows[i].second != song_id(static_cast<int>(i))) {
            ADD_FAILURE() << "row " << i << " is ID " << rows[i].first << " " << rows[i].second;
            break;
        }
    }
    return static_cast<int>(rows.size());
}

TEST(KillTest, ImportKilledAtRandomMomentsLeavesAFirstPartOfTheRowsAndACheckedFile) {
    const fs::path folder =
        fs::temp_directory_path() / ("listsong-kill-test-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path db = folder / "catalogue.mdb";
    const fs::path csv = folder / "songs.csv";
    const std::string cli = LISTSONG_CLI_PATH;
    jet::create_database(db, songdb::song_table());

    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    SCOPED_TRACE("random seed " + std::to_string(seed));
    std::uniform_int_distribution<long> import_delay(0, 300000);
    std::uniform_int_distribution<long> open_delay(0, 3000);

    int kills = 0;
    int present = 0;
    int completed_imports = 0;
    int opens_killed_with_journal = 0;
    while (kills < kKills) {
        write_csv(csv, present);
        const pid_t import = start({cli, "import", db.string(), "Song", csv.string()});
        sleep_microseconds(import_delay(random));
        ::kill(import, SIGKILL);
        const int status = wait_for(import);
        if (status != -1) {
            ASSERT_EQ(status, 0) << "the import failed with " << present << " rows present";
            ASSERT_EQ(songs_present(db), kSongs);
            ++completed_imports;
            fs::remove(db);
            jet::create_database(db, songdb::song_table());
            present = 0;
            continue;
        }
        ++kills;
        const bool had_journal = fs::exists(jet::journal_path(db));
        const pid_t open = start({cli, "info", db.string()});
        sleep_microseconds(open_delay(random));
        ::kill(open, SIGKILL);
        if (wait_for(open) == -1 && had_journal && fs::exists(jet::journal_path(db))) {
            ++opens_killed_with_journal;
        }
        const int now = songs_present(db);
        ASSERT_GE(now, present) << "kill " << kills << " lost stored rows";
        EXPECT_FALSE(fs::exists(jet::journal_path(db)));
        const pid_t check = start({cli, "check", db.string()});
        ASSERT_EQ(wait_for(check), 0)
            << "listsong check failed after kill " << kills << " with " << now << " rows";
        present = now;
    }
    std::cout << kills << " kills, " << completed_imports << " imports completed, "
              << opens_killed_with_journal
              << " opening programs killed before the roll-back ended, " << present
              << " rows at the end\n";
    fs::remove_all(folder);
}

}  // namespace
