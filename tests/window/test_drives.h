// The drives a test gives the window: folders of its own, each of which can be
// made not ready, in place of the machine's drives.
#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "window/drive.h"

namespace window::testing {

class TestDrives {
  public:
    // Adds a drive with this root (an existing folder) and label; returns its text.
    std::string add(const std::filesystem::path& root, const std::string& label);
    void set_ready(const std::filesystem::path& root, bool ready);

    const std::vector<Drive>& all() const { return drives_; }
    // Ready unless a test said otherwise, and only while its root can be listed.
    bool ready(const Drive& drive) const;

  private:
    std::vector<Drive> drives_;
    std::set<std::filesystem::path> not_ready_;
};

}  // namespace window::testing
