// The fixture of the Qt window's tests: test drives and folders, and the real
// window on Qt's offscreen screen, with the message boxes it raises closed.
#pragma once

#include <QString>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "qt/main_window.h"
#include "qt/qt_toolkit.h"
#include "tests/window/screen_test_toolkit.h"
#include "tests/window/two_drive_test.h"
#include "window/re_name_fold.h"

namespace listsong_qt::testing {

using TestToolkit = window::testing::ScreenTestToolkit<QtToolkit>;

// A message box as the user saw it: its prompt, title and the details it
// offers behind its "Show Details..." button.
struct SeenBox {
    QString text;
    QString title;
    QString details;
};

// Closes every modal box as soon as it is up, with its OK button, and records
// what it showed. Armed before the click that leads to the box; the timer
// fires whenever Qt processes events, also inside the box's own loop.
class ModalCloser {
  public:
    ModalCloser();
    const std::vector<SeenBox>& seen() const { return seen_; }

  private:
    QTimer timer_;
    std::vector<SeenBox> seen_;
};

// The two test drives, and the window on the screen, standing in a/music
// unless a test moves it.
class QtWindowTest : public window::testing::TwoDriveTest<TestToolkit> {
  protected:
    // What closes and records the message boxes the window raises.
    using BoxCloser = ModalCloser;

    MainWindow& open_window();
    // A click of the mouse on a button.
    void click(std::string_view button);
    bool window_shown() const { return view->isVisible(); }

    template <typename Widget>
    Widget& widget(std::string_view name, int index = window::kNotInArray) {
        return dynamic_cast<Widget&>(view->control(name, index));
    }

    std::unique_ptr<window::ReNameFold> model;
    std::unique_ptr<MainWindow> view;
};

}  // namespace listsong_qt::testing
