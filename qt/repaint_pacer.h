// Paces the repaints of a widget whose text changes faster than a screen can
// show, such as the status line during an update.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <chrono>

class QWidget;

namespace listsong_qt {

// Lets a widget whose content changes many times a second (the status line
// during an update) repaint no faster than the screen can show. A change
// within the interval after the last repaint is held back, with the widget's
// updates off, and painted when the interval is over; the widget itself
// always holds its newest content, so whenever it is painted it shows that.
class RepaintPacer : public QObject {
  public:
    // One frame of a 60 Hz screen.
    static constexpr std::chrono::milliseconds kFrame{16};

    // The pacer belongs to the widget and goes with it.
    explicit RepaintPacer(QWidget& widget, std::chrono::milliseconds interval = kFrame);

    // Call before changing what the widget shows: the change is then painted
    // at once or at the end of the current interval.
    void changing();

  private:
    void repaint_now();

    QWidget& widget_;
    std::chrono::milliseconds interval_;
    QElapsedTimer since_repaint_;
    QTimer held_back_;
};

}  // namespace listsong_qt
