// The tests of the desktop window need one QApplication for the whole run. Qt
// draws offscreen, so no display is needed, also when the tests are listed.
#include <gtest/gtest.h>
#include <QApplication>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    QApplication::setApplicationName("ListSong");
    return RUN_ALL_TESTS();
}
