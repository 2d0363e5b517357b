#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "tests/window/headless_toolkit.h"
#include "tests/window/temp_tree.h"
#include "window/re_name_fold.h"

namespace window::testing {

// Two drives made of temporary folders, "a" and "b", a program folder, and a
// window that starts in a/music unless a test builds it elsewhere.
class WindowTest : public ::testing::Test {
  protected:
    WindowTest()
        : drive_a(tree.folder("a")),
          drive_b(tree.folder("b")),
          toolkit(tree.folder("a/music"), tree.folder("program")) {
        drive_a_text = toolkit.add_drive(drive_a, "A");
        drive_b_text = toolkit.add_drive(drive_b, "B");
    }

    ReNameFold& open_window() {
        window = std::make_unique<ReNameFold>(toolkit);
        window->load();
        return *window;
    }

    static std::string text(const std::filesystem::path& path) { return shown_path(path); }

    TempTree tree;
    std::filesystem::path drive_a;
    std::filesystem::path drive_b;
    std::string drive_a_text;
    std::string drive_b_text;
    HeadlessToolkit toolkit;
    std::unique_ptr<ReNameFold> window;
};

}  // namespace window::testing
