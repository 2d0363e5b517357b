#include "qt/window_frame.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>
#include <chrono>

#if QT_CONFIG(xcb)
#include "qt/x11_frame_request.h"
#endif

namespace listsong_qt {

namespace {

// The frame as Qt knows it now.
std::optional<QMargins> known_frame(const QWidget& window) {
    const QWindow* handle = window.windowHandle();
    if (handle == nullptr || handle->handle() == nullptr) {
        return std::nullopt;
    }
    const QMargins margins = handle->frameMargins();
    if (margins.isNull()) {
        return std::nullopt;
    }
    return margins;
}

#if QT_CONFIG(xcb)

// A window manager answers within a round trip, a few milliseconds; on a
// loaded machine it may take much longer to be scheduled, and the window then
// waits for it, up to two seconds. One silent longer leaves the frame unknown
// rather than hold up the window's start further.
constexpr std::chrono::milliseconds kAnswerWait{2000};

// The answer arrives as a change of the window's property, which Qt takes in
// as an event and then reads as the frame margins; the deadline's timer ends
// the wait for events if no answer comes. Input waits for the window shown.
std::optional<QMargins> asked_x11_frame(QWidget& window, xcb_connection_t* connection) {
    if (!x11::frame_request_supported(connection)) {
        return std::nullopt;
    }
    x11::request_frame_extents(connection, static_cast<xcb_window_t>(window.winId()));
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.start(kAnswerWait);
    std::optional<QMargins> frame = known_frame(window);
    while (!frame && deadline.isActive()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                        QEventLoop::WaitForMoreEvents);
        frame = known_frame(window);
    }
    return frame;
}

#endif

}  // namespace

std::optional<QMargins> frame_margins(QWidget& window) {
    if (const auto frame = known_frame(window)) {
        return frame;
    }
#if QT_CONFIG(xcb)
    // Qt's offscreen platform answers as an X11 application too, without
    // showing its windows on the X server.
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (QGuiApplication::platformName() == "xcb" && x11 != nullptr) {
        return asked_x11_frame(window, x11->connection());
    }
#endif
    window.winId();
    return known_frame(window);
}

void move_frame(QWidget& window, QPoint position) {
    if (const auto frame = known_frame(window)) {
        window.setGeometry(QRect(position + QPoint(frame->left(), frame->top()), window.size()));
    } else {
        window.move(position);
    }
}

}  // namespace listsong_qt
