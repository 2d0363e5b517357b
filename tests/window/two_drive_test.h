// The folders every window test starts from: two drives and a program folder.
#pragma once

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "tests/window/temp_tree.h"

namespace window::testing {

// Two drives made of temporary folders, "a" and "b", and a program folder, on
// a test toolkit whose start folder is a/music.
template <typename TestToolkit>
class TwoDriveTest : public ::testing::Test {
  protected:
    TwoDriveTest()
        : drive_a(tree.folder("a")),
          drive_b(tree.folder("b")),
          toolkit(tree.folder("a/music"), tree.folder("program")) {
        drive_a_text = toolkit.add_drive(drive_a, "A");
        drive_b_text = toolkit.add_drive(drive_b, "B");
    }

    static std::string text(const std::filesystem::path& path) { return shown_path(path); }

    TempTree tree;
    std::filesystem::path drive_a;
    std::filesystem::path drive_b;
    std::string drive_a_text;
    std::string drive_b_text;
    TestToolkit toolkit;
};

}  // namespace window::testing
