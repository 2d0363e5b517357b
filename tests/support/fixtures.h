// Access to the real Access 97 files for tests, and scratch copies of them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "jet/database.h"
#include "jet/error.h"

namespace jet_test {

// The fixtures folder from LISTSONG_FIXTURES, or empty when it is not there.
inline std::filesystem::path fixtures_folder() {
    const char* folder = std::getenv("LISTSONG_FIXTURES");
    if (folder == nullptr || !std::filesystem::is_directory(folder)) {
        return {};
    }
    return folder;
}

#define SKIP_WITHOUT_FIXTURES()                                                          \
    if (jet_test::fixtures_folder().empty()) {                                           \
        GTEST_SKIP() << "real Access 97 files not found (LISTSONG_FIXTURES is unset or " \
                        "names no folder)";                                              \
    }

inline std::filesystem::path fixture(const std::string& name) {
    return fixtures_folder() / name;
}

// The real files the engine reads, in name order: every one but the
// encoded file, which it refuses.
inline std::vector<std::filesystem::path> readable_fixtures() {
    std::vector<std::filesystem::path> files;
    for (const auto& item : std::filesystem::directory_iterator(fixtures_folder())) {
        if (item.path().extension() != ".mdb") {
            continue;
        }
        try {
            jet::Database::open(item.path(), {.code_page = 1252});
            files.push_back(item.path());
        } catch (const jet::UnsupportedFile&) {
            // the encoded file
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

inline std::vector<std::uint8_t> read_bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A writable copy of a real file in the temporary folder, removed with its
// lock file when the object goes.
class FixtureCopy {
  public:
    explicit FixtureCopy(const std::string& name)
        : path_(std::filesystem::temp_directory_path() /
                ("fixture-" + std::to_string(std::random_device{}()) + "-" + name)) {
        std::filesystem::copy_file(fixture(name), path_);
        std::filesystem::permissions(path_, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
    }
    ~FixtureCopy() {
        std::filesystem::remove(path_);
        std::filesystem::remove(std::filesystem::path(path_).replace_extension(".ldb"));
    }
    FixtureCopy(const FixtureCopy&) = delete;
    FixtureCopy& operator=(const FixtureCopy&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::vector<std::uint8_t> bytes() const { return read_bytes(path_); }

  private:
    std::filesystem::path path_;
};

// A file in the test's temporary folder, removed when the object goes.
class ScratchFile {
  public:
    explicit ScratchFile(const std::vector<std::uint8_t>& bytes) {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ =
            std::filesystem::temp_directory_path() /
            (std::string("jet-") + test->test_suite_name() + "-" + test->name() + "-" +
             std::to_string(counter()++) + "-" + std::to_string(std::random_device{}()) + ".mdb");
        write(bytes);
    }
    ~ScratchFile() { std::filesystem::remove(path_); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    void write(const std::vector<std::uint8_t>& bytes) {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    const std::filesystem::path& path() const { return path_; }

  private:
    static int& counter() {
        static int n = 0;
        return n;
    }
    std::filesystem::path path_;
};

}  // namespace jet_test
