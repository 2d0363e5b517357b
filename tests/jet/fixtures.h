// Access to the real Access 97 files for tests, and scratch copies of them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

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

inline std::vector<std::uint8_t> read_bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

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
