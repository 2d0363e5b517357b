// The toolkit interface implemented with Qt.
#pragma once

#include <QPointer>
#include <QWidget>
#include <chrono>
#include <functional>

#include "window/toolkit.h"

namespace listsong_qt {

// The toolkit of the window object, with Qt: modal message boxes, Qt's event
// processing, the screen, and the top-level window that it moves and closes.
class QtToolkit : public window::Toolkit {
  public:
    // Message boxes with no title of their own show the application's name.
    QtToolkit() = default;

    // The window that message boxes belong to and that the program's end
    // closes, and what brings it in line with the window object before the
    // screen is painted.
    void attach(QWidget& window, std::function<void()> show_model);

    bool program_ended() const { return ended_; }

    // The title of a message box given none.
    static QString default_title();

    // DriveSource
    std::vector<window::Drive> drives() const override;
    bool drive_ready(const window::Drive& drive) const override;

    // Toolkit
    void message_box(const std::string& prompt, int buttons,
                     const std::optional<std::string>& title, const std::string& details) override;
    void process_pending_events() override;
    void end_program() override;
    window::TwipSize screen_size() const override;
    window::TwipSize window_outer_size() const override;
    void move_window(float left, float top) override;
    std::filesystem::path program_folder() const override;
    std::filesystem::path start_folder() const override;

  private:
    QWidget& window() const;

    QPointer<QWidget> window_;
    std::function<void()> show_model_;
    bool ended_ = false;
    // When process_pending_events() last let Qt process events.
    std::chrono::steady_clock::time_point last_processed_;
};

}  // namespace listsong_qt
