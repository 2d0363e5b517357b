// What the user does with the drive and folder lists on the screen.
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QTest>

#include "tests/qt/qt_window_fixture.h"

namespace listsong_qt::testing {
namespace {

QListWidgetItem& entry(QListWidget& list, const QString& name) {
    const auto found = list.findItems(name, Qt::MatchExactly);
    if (found.size() != 1) {
        throw std::runtime_error("the list shows " + std::to_string(found.size()) + " entries " +
                                 name.toStdString());
    }
    return *found.front();
}

std::vector<std::string> items(const QListWidget& list) {
    std::vector<std::string> texts;
    for (int i = 0; i < list.count(); ++i) {
        texts.push_back(list.item(i)->text().toStdString());
    }
    return texts;
}

void double_click(QListWidget& list, QListWidgetItem& item) {
    const QPoint centre = list.visualItemRect(&item).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, centre);
}

class FolderListsTest : public QtWindowTest {
  protected:
    FolderListsTest() {
        tree.folder("a/music/midi/01");
        tree.folder("a/music/midi/02");
        tree.folder("a/music/cur");
        tree.folder("b/karaoke/x");
        tree.folder("b/top");
    }

    QListWidget& list(std::string_view name) { return widget<QListWidget>(name); }
};

TEST_F(FolderListsTest, ShowsAncestorsFromTheDriveRootThenSubFoldersIndented) {
    open_window();
    QListWidget& dir1 = list("Dir1");
    EXPECT_EQ(items(dir1), (std::vector<std::string>{text(drive_a), "music", "cur", "midi"}));
    EXPECT_EQ(dir1.currentItem()->text(), "music");
    std::vector<int> depths;
    for (int i = 0; i < dir1.count(); ++i) {
        depths.push_back(dir1.item(i)->data(Qt::UserRole + 1).toInt());
    }
    EXPECT_EQ(depths, (std::vector<int>{0, 1, 2, 2}));
    EXPECT_FALSE(dir1.item(3)->icon().isNull());
}

TEST_F(FolderListsTest, DoubleClickOpensAFolderAndList1Follows) {
    open_window();
    QListWidget& dir1 = list("Dir1");
    double_click(dir1, entry(dir1, "midi"));
    QCoreApplication::processEvents();

    EXPECT_EQ(model->Dir1.Path(), text(drive_a / "music/midi"));
    EXPECT_EQ(items(list("List1")), (std::vector<std::string>{text(drive_a / "music/midi/01"),
                                                              text(drive_a / "music/midi/02")}));
    EXPECT_EQ(widget<QLabel>("Label1").text(), "2   folder");
    EXPECT_EQ(items(dir1), (std::vector<std::string>{text(drive_a), "music", "midi", "01", "02"}));
    EXPECT_TRUE(items(list("List2")).empty());

    // Back up to an ancestor.
    double_click(dir1, entry(dir1, QString::fromStdString(text(drive_a))));
    QCoreApplication::processEvents();
    EXPECT_EQ(model->Dir1.Path(), text(drive_a));
    EXPECT_EQ(items(list("List1")), (std::vector<std::string>{text(drive_a / "music")}));
}

TEST_F(FolderListsTest, ArrowKeysMoveAndEnterOpens) {
    open_window();
    QListWidget& dir2 = list("Dir2");
    dir2.setFocus();
    QTest::keyClick(&dir2, Qt::Key_Down);
    QCoreApplication::processEvents();
    EXPECT_EQ(dir2.currentItem()->text(), "cur");
    EXPECT_EQ(model->Dir2.Path(), text(drive_a / "music"));

    QTest::keyClick(&dir2, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(model->Dir2.Path(), text(drive_a / "music/cur"));
    EXPECT_TRUE(items(list("List2")).empty());
    EXPECT_EQ(items(list("List1")).size(), 2U);  // Dir1 still on music
}

TEST_F(FolderListsTest, ChoosingADriveRefreshesAllThreeLists) {
    open_window();
    auto& drives = widget<QComboBox>("Drive1");
    ASSERT_EQ(drives.count(), 2);
    drives.setFocus();
    QTest::keyClick(&drives, Qt::Key_Down);
    QCoreApplication::processEvents();

    EXPECT_EQ(model->Drive1.Drive(), drive_b_text);
    EXPECT_EQ(drives.currentText().toStdString(), drive_b_text);
    const std::vector<std::string> on_b{text(drive_b / "karaoke"), text(drive_b / "top")};
    EXPECT_EQ(items(list("List1")), on_b);
    EXPECT_EQ(items(list("List2")), on_b);
    EXPECT_EQ(items(list("List3")), on_b);
    EXPECT_EQ(items(list("Dir3")), (std::vector<std::string>{text(drive_b), "karaoke", "top"}));
}

TEST_F(FolderListsTest, ADriveThatIsNotReadyGivesWayToTheDriveOfDir1) {
    open_window();
    toolkit.set_drive_ready(drive_b, false);
    auto& drives = widget<QComboBox>("Drive1");
    drives.setFocus();
    QTest::keyClick(&drives, Qt::Key_Down);
    QCoreApplication::processEvents();

    EXPECT_EQ(model->Drive1.Drive(), drive_a_text);
    EXPECT_EQ(drives.currentText().toStdString(), drive_a_text);
    EXPECT_EQ(model->Dir1.Path(), text(drive_a / "music"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace listsong_qt::testing
