#include "qt/qt_toolkit.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QScreen>
#include <QStyle>
#include <QWindow>
#include <stdexcept>
#include <string>

#include "qt/twips.h"
#include "window/mounted_drives.h"

namespace listsong_qt {

namespace fs = std::filesystem;

namespace {

fs::path path_of(const QString& native) {
#ifdef _WIN32
    return fs::path(native.toStdWString());
#else
    return fs::path(QFile::encodeName(native).toStdString());
#endif
}

}  // namespace

void QtToolkit::attach(QWidget& window, std::function<void()> show_model) {
    window_ = &window;
    show_model_ = std::move(show_model);
}

QString QtToolkit::default_title() {
    return QCoreApplication::applicationName();
}

QWidget& QtToolkit::window() const {
    if (window_.isNull()) {
        throw std::logic_error("The toolkit has no window attached");
    }
    return *window_;
}

std::vector<window::Drive> QtToolkit::drives() const {
    return window::mounted_drives();
}

bool QtToolkit::drive_ready(const window::Drive& drive) const {
    return window::root_listable(drive.root);
}

void QtToolkit::message_box(const std::string& prompt, int buttons,
                            const std::optional<std::string>& title, const std::string& details) {
    if (buttons != window::kOkOnly) {
        throw std::invalid_argument("Message boxes offer only the OK button (code 0), not code " +
                                    std::to_string(buttons));
    }
    QWidget& parent = window();
    show_model_();
    QMessageBox box(&parent);
    box.setIcon(QMessageBox::NoIcon);
    box.setWindowTitle(title ? QString::fromStdString(*title) : default_title());
    box.setText(QString::fromStdString(prompt));
    box.setTextFormat(Qt::PlainText);
    box.setStandardButtons(QMessageBox::Ok);
    if (!details.empty()) {
        box.setDetailedText(QString::fromStdString(details));
    }
    box.exec();
}

// The window shows the models' state before Qt paints it.
void QtToolkit::process_pending_events() {
    if (show_model_) {
        show_model_();
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// Closing the last window makes the application's event loop return once our
// handlers have unwound to it.
void QtToolkit::end_program() {
    ended_ = true;
    if (!window_.isNull()) {
        window_->close();
    }
}

window::TwipSize QtToolkit::screen_size() const {
    const QScreen* screen = window().screen();
    const QSize size = screen->size();
    return {twips_of_pixels(size.width()), twips_of_pixels(size.height())};
}

// Before the window is first shown the platform may not know its frame yet;
// its caption bar and border are then taken from the style.
window::TwipSize QtToolkit::window_outer_size() const {
    QWidget& top = window();
    top.winId();
    const QMargins frame = top.windowHandle()->frameMargins();
    QSize outer = top.size().grownBy(frame);
    if (frame.isNull()) {
        const QStyle& style = *top.style();
        const int border = style.pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, &top);
        const int caption = style.pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &top);
        outer += QSize(2 * border, caption + border);
    }
    return {twips_of_pixels(outer.width()), twips_of_pixels(outer.height())};
}

void QtToolkit::move_window(float left, float top) {
    window().move(pixels_of_twips(left), pixels_of_twips(top));
}

fs::path QtToolkit::program_folder() const {
    return path_of(QCoreApplication::applicationDirPath());
}

fs::path QtToolkit::start_folder() const {
    return fs::current_path();
}

}  // namespace listsong_qt
