// A catalogue lives beside the player that reads it: a database another
// program has open, or that may not be written, is refused with a message
// that says what to do, and neither it nor its folder changes. Names with
// Thai letters and paths longer than the old 260-character limit work.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "jet/create_database.h"
#include "jet/database.h"
#include "jet/error.h"
#include "jet/file_system.h"
#include "jet/journal.h"
#include "jet/table_writer.h"
#include "tests/support/fixtures.h"
#include "tests/support/song_shaped_table.h"

namespace {

namespace fs = std::filesystem;

fs::path utf8_path(std::string_view text) {
    return fs::path(std::u8string(text.begin(), text.end()));
}

jet::OpenOptions writable() {
    jet::OpenOptions options;
    options.code_page = 874;
    options.writable = true;
    return options;
}

std::vector<std::optional<jet::Value>> thai_song() {
    return {std::nullopt,
            jet::Value{jet::Text{"0001"}},
            jet::Value{jet::Text{"\xB7\xD0\xE0\xC5"}},  // Thai in Windows-874
            jet::Value{jet::Text{"Artist"}},
            jet::Value{jet::Text{"D:\\MIDI\\0001.mid"}},
            jet::Value{jet::Text{"D:\\CUR\\0001.cur"}},
            jet::Value{jet::Text{"D:\\LYR\\0001.lyr"}}};
}

std::string error_of(const std::function<void()>& action) {
    try {
        action();
    } catch (const jet::Error& e) {
        return e.what();
    }
    return "no error";
}

#ifdef _WIN32
// Deletes the folder and everything in it, read-only files too. Through the
// \\?\ prefix of `folder`, paths past 260 characters go as well, which
// std::filesystem does not list on Windows.
void remove_tree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            const std::wstring path = folder + L"\\" + name;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            } else if (name != L"." && name != L"..") {
                remove_tree(path);
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}
#endif

class LivingBesideThePlayerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("jet-beside-" + std::to_string(std::random_device{}()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
    }
    void TearDown() override {
#ifdef _WIN32
        remove_tree(L"\\\\?\\" + folder_.native());
#else
        std::error_code ignored;
        for (const auto& entry : fs::recursive_directory_iterator(folder_, ignored)) {
            fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
        }
        fs::remove_all(folder_, ignored);
#endif
    }

    fs::path folder_;
};

TEST_F(LivingBesideThePlayerTest, ADatabaseAnotherProgramHasOpenIsRefusedUntouched) {
    const fs::path path =
        folder_ / utf8_path("\xE0\xB9\x80\xE0\xB8\x9E\xE0\xB8\xA5\xE0\xB8\x87.mdb");
    jet::create_database(path, jet_test::song_shaped_table());
    const auto before = jet_test::read_bytes(path);
    {
        const auto player = jet::Database::open(path, writable());
        const std::string message = error_of([&] { jet::Database::open(path, writable()); });
        EXPECT_NE(message.find(jet::path_text(path)), std::string::npos) << message;
        EXPECT_NE(message.find("close the player"), std::string::npos) << message;
        // Readers still read while the writer has the file.
        jet::OpenOptions reading;
        reading.code_page = 874;
        EXPECT_EQ(jet::Database::open(path, reading)->table_names(),
                  std::vector<std::string>{"Song"});
    }
    fs::path lock_file = path;
    lock_file.replace_extension(".ldb");
    std::ofstream(lock_file) << "SHOP-PC";
    const std::string message = error_of([&] { jet::Database::open(path, writable()); });
    EXPECT_NE(message.find(jet::path_text(lock_file)), std::string::npos) << message;
    EXPECT_NE(message.find("close the player"), std::string::npos) << message;
    EXPECT_EQ(jet_test::read_bytes(path), before);
    EXPECT_FALSE(fs::exists(jet::journal_path(path)));
}

TEST_F(LivingBesideThePlayerTest, AReadOnlyDatabaseIsRefusedWithWhatToDo) {
    const fs::path path = folder_ / "LISTSONG.mdb";
    jet::create_database(path, jet_test::song_shaped_table());
    const auto before = jet_test::read_bytes(path);
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    if (std::fstream(path, std::ios::in | std::ios::out)) {
        GTEST_SKIP() << "this user may write a read-only file (the superuser)";
    }
    const std::string message = error_of([&] { jet::Database::open(path, writable()); });
    EXPECT_NE(message.find(jet::path_text(path)), std::string::npos) << message;
    EXPECT_NE(message.find("cannot be written"), std::string::npos) << message;
    EXPECT_EQ(jet_test::read_bytes(path), before);
    EXPECT_FALSE(fs::exists(jet::journal_path(path)));
    jet::OpenOptions reading;
    reading.code_page = 874;
    EXPECT_NO_THROW(jet::Database::open(path, reading));
}

TEST_F(LivingBesideThePlayerTest, ThaiNamesAndPathsPastTheOldLimitAreWrittenAndNamedInMessages) {
    fs::path deep = folder_;
    while (deep.native().size() < 300) {
        deep /= utf8_path(
            "\xE0\xB8\x84\xE0\xB8\xB2\xE0\xB8\xA3\xE0\xB8\xB2\xE0\xB9\x82\xE0\xB8"
            "\xAD\xE0\xB9\x80\xE0\xB8\x81\xE0\xB8\xB0-folder");
    }
    std::error_code error;
    fs::create_directories(deep, error);
    if (error) {
        GTEST_SKIP() << "this system cannot make folders this deep: " << error.message();
    }
    const fs::path path = deep / utf8_path("\xE0\xB9\x80\xE0\xB8\x9E\xE0\xB8\xA5\xE0\xB8\x87.mdb");
    jet::create_database(path, jet_test::song_shaped_table());
    {
        const auto db = jet::Database::open(path, writable());
        jet::TableWriter(*db, "Song").insert(thai_song());
        db->close();
    }
    jet::OpenOptions reading;
    reading.code_page = 874;
    const auto db = jet::Database::open(path, reading);
    std::vector<std::vector<jet::Value>> rows;
    db->for_each_row(db->table("Song"), [&](jet::RowPointer, const std::vector<jet::Value>& row) {
        rows.push_back(row);
        return true;
    });
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][2], thai_song()[2]);
    const std::string message =
        error_of([&] { jet::create_database(path, jet_test::song_shaped_table()); });
    EXPECT_NE(message.find(jet::path_text(path) + ": the file exists already"), std::string::npos)
        << message;
    EXPECT_NE(jet::path_text(path).find("\xE0\xB9\x80\xE0\xB8\x9E\xE0\xB8\xA5\xE0\xB8\x87.mdb"),
              std::string::npos);
}

}  // namespace
