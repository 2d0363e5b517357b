// The fixture of the tests that drive the window object without a display.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "tests/window/headless_toolkit.h"
#include "tests/window/two_drive_test.h"
#include "window/re_name_fold.h"

namespace window::testing {

// The two test drives and a window that starts in a/music unless a test
// builds it elsewhere.
class WindowTest : public TwoDriveTest<HeadlessToolkit> {
  protected:
    ReNameFold& open_window() {
        window = std::make_unique<ReNameFold>(toolkit);
        window->load();
        return *window;
    }

    std::unique_ptr<ReNameFold> window;
};

}  // namespace window::testing
