// The window on the screen against the design table it is built from.
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>

#include "tests/qt/qt_window_fixture.h"
#include "window/design_table.h"

namespace listsong_qt::testing {
namespace {

using window::ControlDesign;
using window::ControlKind;

QColor colour_of(window::Rgb rgb) {
    return QColor::fromRgb(static_cast<QRgb>(rgb));
}

QString text_of(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The colour a control's design back colour should appear in.
QPalette::ColorRole back_role(ControlKind kind) {
    switch (kind) {
        case ControlKind::label:
            return QPalette::Window;
        case ControlKind::command_button:
            return QPalette::Button;
        default:
            return QPalette::Base;
    }
}

QString caption_of(const QWidget& widget) {
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
        return label->text();
    }
    if (const auto* button = qobject_cast<const QPushButton*>(&widget)) {
        return button->text();
    }
    if (const auto* frame = qobject_cast<const QGroupBox*>(&widget)) {
        return frame->title();
    }
    return {};
}

class WindowDesignTest : public QtWindowTest {};

TEST_F(WindowDesignTest, EveryControlHasItsDesignedPlaceLookAndVisibility) {
    window::ReNameFold before_load(toolkit);
    MainWindow fresh(before_load);
    fresh.show();
    const QRect client = fresh.rect();
    for (const ControlDesign& design : window::control_designs()) {
        SCOPED_TRACE(std::string(design.name) + " " + std::to_string(design.index));
        const QWidget& widget = fresh.control(design.name, design.index);

        EXPECT_EQ(widget.geometry(),
                  QRect(design.left / 15, design.top / 15, design.width / 15, design.height / 15));
        const QWidget* container = widget.parentWidget();
        EXPECT_EQ(container->objectName(), text_of(design.container));

        const bool in_sight =
            widget.isVisible() &&
            client.intersects(QRect(widget.mapTo(&fresh, QPoint(0, 0)), widget.size()));
        const bool designed_in_sight = design.visible && design.container == "ReNameFold" &&
                                       design.left < window::window_design().client_width;
        EXPECT_EQ(in_sight, designed_in_sight);
        EXPECT_EQ(widget.isVisibleTo(container), design.visible);

        if (design.kind != ControlKind::file_list && design.kind != ControlKind::folder_list &&
            design.kind != ControlKind::list_box && design.kind != ControlKind::drive_list) {
            EXPECT_EQ(caption_of(widget), text_of(design.text));
        }
        if (design.back_colour) {
            EXPECT_EQ(widget.palette().color(back_role(design.kind)),
                      colour_of(*design.back_colour));
        }
        if (design.text_colour) {
            EXPECT_EQ(widget.palette().color(QPalette::WindowText), colour_of(*design.text_colour));
        }
        if (design.font) {
            EXPECT_EQ(widget.font().families().front(), text_of(design.font->face));
            EXPECT_EQ(widget.font().bold(), design.font->bold);
        }
    }
    // List3 is seen by nobody but lies in the window, beyond the client area.
    EXPECT_TRUE(fresh.control("List3").isVisible());
}

// The window's size, caption and boxes come from the design table, and it
// carries the program's icon.
TEST_F(WindowDesignTest, TheWindowHasTheDesignedSizeCaptionAndBoxesAndTheProgramsIcon) {
    const window::WindowDesign& design = window::window_design();
    const MainWindow& window = open_window();
    EXPECT_EQ(window.size(), QSize(design.client_width / 15, design.client_height / 15));
    EXPECT_EQ(window.minimumSize() == window.maximumSize(), !design.resizable);
    EXPECT_EQ(window.windowTitle(), text_of(design.caption));
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_EQ(flags.testFlag(Qt::WindowCloseButtonHint), design.close_box);
    EXPECT_EQ(flags.testFlag(Qt::WindowMinimizeButtonHint), design.minimise_button);
    EXPECT_EQ(flags.testFlag(Qt::WindowMaximizeButtonHint), design.maximise_button);
    EXPECT_TRUE(window.windowIcon().availableSizes().contains(QSize(64, 64)));
}

TEST_F(WindowDesignTest, TabGoesThroughTheDesignedOrderAndDrive1HasTheFocus) {
    MainWindow& window = open_window();
    EXPECT_EQ(window.focusWidget(), &window.control("Drive1"));

    std::vector<QString> order;
    QWidget* widget = &window.control("Drive1");
    do {
        if (widget->isVisible() && (widget->focusPolicy() & Qt::TabFocus)) {
            order.push_back(widget->objectName());
        }
        widget = widget->nextInFocusChain();
    } while (widget != &window.control("Drive1"));
    EXPECT_EQ(order, (std::vector<QString>{"Drive1", "Dir1", "Command1", "List3", "Dir2", "Dir3",
                                           "CmdChDir"}));
}

// Thai must come out as letters, not boxes, and the instruction lines must
// fit their labels on one line.
TEST_F(WindowDesignTest, ThaiInstructionLinesRenderAndFit) {
    ASSERT_FALSE(QFontDatabase::families(QFontDatabase::Thai).isEmpty())
        << "no font that draws Thai is installed (scripts/setup installs fonts-thai-tlwg)";
    MainWindow& window = open_window();
    for (const char* name : {"Label6", "Label7"}) {
        SCOPED_TRACE(name);
        const auto& label = dynamic_cast<const QLabel&>(window.control(name));
        const QFontMetricsF metrics(label.font());
        EXPECT_LE(metrics.horizontalAdvance(label.text()), label.width());
        EXPECT_LE(metrics.height(), label.height());
        for (const QChar letter : label.text()) {
            if (letter.script() == QChar::Script_Thai) {
                EXPECT_TRUE(metrics.inFont(letter))
                    << "U+" << std::hex << static_cast<unsigned>(letter.unicode());
            }
        }
    }
}

TEST_F(WindowDesignTest, StartUpCentresTheOuterWindowOnTheScreen) {
    MainWindow& window = open_window();
    const QRect frame = window.frameGeometry();
    EXPECT_GT(frame.height(), 428);  // the caption bar counts
    const QPoint off_centre = frame.center() - window.screen()->geometry().center();
    EXPECT_LE(off_centre.manhattanLength(), 2);
}

TEST_F(WindowDesignTest, StartUpFillsTheHiddenListsThatTheWindowShowsFromTheModel) {
    tree.folder("a/music/one");
    tree.folder("a/music/two");
    MainWindow& window = open_window();
    auto& list1 = dynamic_cast<QListWidget&>(window.control("List1"));
    ASSERT_EQ(list1.count(), 2);
    EXPECT_EQ(list1.item(0)->text().toStdString(), text(tree.root() / "a/music/one"));
    EXPECT_EQ(dynamic_cast<QLabel&>(window.control("Label1")).text(), "2   folder");
    // The strip of labels hangs one below the other after start-up.
    EXPECT_EQ(window.control("Label2", 21).pos(), QPoint(120 / 15, (285 + 210 * 21) / 15));
}

}  // namespace
}  // namespace listsong_qt::testing
