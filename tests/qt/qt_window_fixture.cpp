#include "tests/qt/qt_window_fixture.h"

#include <QApplication>
#include <QMessageBox>
#include <utility>

#include "window/mounted_drives.h"
#include "window/native_text.h"

namespace listsong_qt::testing {

namespace fs = std::filesystem;

TestToolkit::TestToolkit(fs::path start_folder, fs::path program_folder)
    : start_folder_(std::move(start_folder)), program_folder_(std::move(program_folder)) {}

std::string TestToolkit::add_drive(const fs::path& root, const std::string& label) {
    drives_.push_back(window::make_drive(window::normalised_folder(root), label));
    return drives_.back().text;
}

void TestToolkit::set_drive_ready(const fs::path& root, bool ready) {
    if (ready) {
        not_ready_.erase(window::normalised_folder(root));
    } else {
        not_ready_.insert(window::normalised_folder(root));
    }
}

bool TestToolkit::drive_ready(const window::Drive& drive) const {
    return !not_ready_.contains(window::normalised_folder(drive.root)) &&
           window::root_listable(drive.root);
}

void TestToolkit::at_event_round(int round, std::function<void()> action) {
    actions_[round] = std::move(action);
}

void TestToolkit::process_pending_events() {
    ++rounds_;
    QtToolkit::process_pending_events();
    if (const auto action = actions_.find(rounds_); action != actions_.end()) {
        action->second();
    }
}

ModalCloser::ModalCloser() {
    timer_.setInterval(0);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            seen_.push_back(SeenBox{box->text(), box->windowTitle(), box->detailedText()});
            box->accept();
        }
    });
    timer_.start();
}

QtWindowTest::QtWindowTest()
    : drive_a(tree.folder("a")),
      drive_b(tree.folder("b")),
      toolkit(tree.folder("a/music"), tree.folder("program")) {
    drive_a_text = toolkit.add_drive(drive_a, "A");
    drive_b_text = toolkit.add_drive(drive_b, "B");
}

MainWindow& QtWindowTest::open_window() {
    model = std::make_unique<window::ReNameFold>(toolkit);
    view = std::make_unique<MainWindow>(*model);
    toolkit.attach(*view, [this] { view->show_model(); });
    model->load();
    view->show_model();
    view->show();
    return *view;
}

}  // namespace listsong_qt::testing
