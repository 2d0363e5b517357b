#include "tests/window/temp_tree.h"

#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

namespace window::testing {

namespace fs = std::filesystem;

TempTree::TempTree() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = fs::temp_directory_path() / ("listsong-" + std::to_string(random()));
        if (fs::create_directory(candidate)) {
            root_ = fs::canonical(candidate);
            return;
        }
    }
    throw std::runtime_error("No fresh temporary folder could be made under " +
                             fs::temp_directory_path().string());
}

// A destructor cannot report a failure; a folder left behind in the temporary
// folder harms no later test, since every tree has a fresh name.
TempTree::~TempTree() {
    std::error_code error;
    fs::remove_all(root_, error);
}

// The path of `relative` (UTF-8, folders separated by '/') under the root, with
// the system's separator throughout, as the window's lists give paths.
fs::path TempTree::under_root(std::string_view relative) const {
    return (root_ / fs::path(std::u8string(relative.begin(), relative.end()))).make_preferred();
}

fs::path TempTree::folder(std::string_view relative) const {
    const fs::path path = under_root(relative);
    fs::create_directories(path);
    return path;
}

fs::path TempTree::file(std::string_view relative, std::string_view contents) const {
    const fs::path path = under_root(relative);
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    if (!out) {
        throw std::runtime_error("Cannot write test file " + path.string());
    }
    return path;
}

std::string shown_path(const fs::path& path) {
    const std::u8string utf8 = fs::path(path).make_preferred().u8string();
    return std::string(utf8.begin(), utf8.end());
}

}  // namespace window::testing
