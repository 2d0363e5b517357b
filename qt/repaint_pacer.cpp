#include "qt/repaint_pacer.h"

#include <QWidget>

namespace listsong_qt {

RepaintPacer::RepaintPacer(QWidget& widget, std::chrono::milliseconds interval)
    : QObject(&widget), widget_(widget), interval_(interval) {
    held_back_.setSingleShot(true);
    connect(&held_back_, &QTimer::timeout, this, [this] { repaint_now(); });
}

void RepaintPacer::changing() {
    if (held_back_.isActive()) {
        return;
    }
    const std::chrono::milliseconds since(since_repaint_.isValid() ? since_repaint_.elapsed()
                                                                   : interval_.count());
    if (since >= interval_) {
        repaint_now();
        return;
    }
    widget_.setUpdatesEnabled(false);
    held_back_.start(interval_ - since);
}

// Turning updates back on repaints the widget with what it holds now.
void RepaintPacer::repaint_now() {
    widget_.setUpdatesEnabled(true);
    since_repaint_.start();
}

}  // namespace listsong_qt
