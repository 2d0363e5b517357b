#pragma once

#include <QString>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "qt/main_window.h"
#include "qt/qt_toolkit.h"
#include "tests/window/temp_tree.h"
#include "window/re_name_fold.h"

namespace listsong_qt::testing {

// The Qt toolkit with the machine's drives, start folder and program folder
// replaced by a test's own folders; it counts the rounds of pending events and
// can act in a given one, as a user clicking in the middle of an update.
class TestToolkit : public QtToolkit {
  public:
    TestToolkit(std::filesystem::path start_folder, std::filesystem::path program_folder);

    // Adds a drive with this root (an existing folder); returns its text.
    std::string add_drive(const std::filesystem::path& root, const std::string& label);
    void set_drive_ready(const std::filesystem::path& root, bool ready);

    // Runs `action` in the round-th processing of pending events (from 1),
    // after Qt has handled what was waiting.
    void at_event_round(int round, std::function<void()> action);
    int event_rounds() const { return rounds_; }

    std::vector<window::Drive> drives() const override { return drives_; }
    bool drive_ready(const window::Drive& drive) const override;
    void process_pending_events() override;
    std::filesystem::path program_folder() const override { return program_folder_; }
    std::filesystem::path start_folder() const override { return start_folder_; }

  private:
    std::filesystem::path start_folder_;
    std::filesystem::path program_folder_;
    std::vector<window::Drive> drives_;
    std::set<std::filesystem::path> not_ready_;
    std::map<int, std::function<void()>> actions_;
    int rounds_ = 0;
};

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

// Two drives made of temporary folders, "a" and "b", a program folder, and
// the window on the screen, standing in a/music unless a test moves it.
class QtWindowTest : public ::testing::Test {
  protected:
    QtWindowTest();

    MainWindow& open_window();

    template <typename Widget>
    Widget& widget(std::string_view name, int index = window::kNotInArray) {
        return dynamic_cast<Widget&>(view->control(name, index));
    }

    static std::string text(const std::filesystem::path& path) { return path.string(); }

    window::testing::TempTree tree;
    std::filesystem::path drive_a;
    std::filesystem::path drive_b;
    std::string drive_a_text;
    std::string drive_b_text;
    TestToolkit toolkit;
    std::unique_ptr<window::ReNameFold> model;
    std::unique_ptr<MainWindow> view;
};

}  // namespace listsong_qt::testing
