#include "tests/qt/qt_window_fixture.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <utility>

namespace listsong_qt::testing {

namespace fs = std::filesystem;

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

MainWindow& QtWindowTest::open_window() {
    model = std::make_unique<window::ReNameFold>(toolkit);
    view = std::make_unique<MainWindow>(*model);
    toolkit.attach(*view, [this] { view->show_model(); });
    model->load();
    view->show_model();
    view->show();
    return *view;
}

void QtWindowTest::click(std::string_view button) {
    QTest::mouseClick(&widget<QPushButton>(button), Qt::LeftButton);
}

}  // namespace listsong_qt::testing
