#include "tests/window/test_drives.h"

#include "window/mounted_drives.h"
#include "window/native_text.h"

namespace window::testing {

namespace fs = std::filesystem;

std::string TestDrives::add(const fs::path& root, const std::string& label) {
    drives_.push_back(make_drive(normalised_folder(root), label));
    return drives_.back().text;
}

void TestDrives::set_ready(const fs::path& root, bool ready) {
    if (ready) {
        not_ready_.erase(normalised_folder(root));
    } else {
        not_ready_.insert(normalised_folder(root));
    }
}

bool TestDrives::ready(const Drive& drive) const {
    return !not_ready_.contains(normalised_folder(drive.root)) && root_listable(drive.root);
}

}  // namespace window::testing
