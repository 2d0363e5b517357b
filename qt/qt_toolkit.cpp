#include "qt/qt_toolkit.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QScreen>
#include <QStyle>
#include <chrono>
#include <stdexcept>
#include <string>

#include "qt/window_frame.h"
#include "window/mounted_drives.h"
#include "window/twips.h"

namespace listsong_qt {

namespace fs = std::filesystem;
using window::pixels_of_twips;
using window::twips_of_pixels;

namespace {

fs::path path_of(const QString& native) {
#ifdef _WIN32
    return fs::path(native.toStdWString());
#else
    return fs::path(QFile::encodeName(native).toStdString());
#endif
}

// A frame the platform cannot tell yet is taken from the style: a caption bar
// and borders as Qt would draw them.
QMargins estimated_frame(const QWidget& window) {
    const QStyle& style = *window.style();
    const int border = style.pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, &window);
    const int caption = style.pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    return {border, caption, border, border};
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
    const auto now = std::chrono::steady_clock::now();
    if (now - last_processed_ >= window::kEventsInterval) {
        last_processed_ = now;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
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

window::TwipSize QtToolkit::window_outer_size() const {
    QWidget& top = window();
    const QSize outer = top.size().grownBy(frame_margins(top).value_or(estimated_frame(top)));
    return {twips_of_pixels(outer.width()), twips_of_pixels(outer.height())};
}

void QtToolkit::move_window(float left, float top) {
    move_frame(window(), QPoint(pixels_of_twips(left), pixels_of_twips(top)));
}

fs::path QtToolkit::program_folder() const {
    return path_of(QCoreApplication::applicationDirPath());
}

fs::path QtToolkit::start_folder() const {
    return fs::current_path();
}

}  // namespace listsong_qt
