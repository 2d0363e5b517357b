// Temporary folder trees for tests, and paths as the window object writes
// them.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace window::testing {

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes.
class TempTree {
  public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::filesystem::path& root() const { return root_; }

    // Creates the folder `relative` (and its parents) under the root; returns its path.
    std::filesystem::path folder(std::string_view relative) const;
    // Creates a file with the given contents, and its folders; returns its path.
    std::filesystem::path file(std::string_view relative, std::string_view contents = {}) const;

  private:
    std::filesystem::path under_root(std::string_view relative) const;

    std::filesystem::path root_;
};

// A path as the window shows it: UTF-8 text with the system's separator.
std::string shown_path(const std::filesystem::path& path);

}  // namespace window::testing
