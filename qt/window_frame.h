// The frame a window manager draws around a top-level window: its caption bar
// and borders. Qt knows it once the window is framed, which on X11 is only
// after the window is first shown; the window's outer size is needed before,
// to place the window where it opens.
#pragma once

#include <QMargins>
#include <QWidget>
#include <optional>

namespace listsong_qt {

// The margins of a top-level window's frame, also before the window is first
// shown; nullopt when the platform cannot tell yet. On X11 the window manager
// is asked for them if it offers to answer before a window is mapped; if it
// does not offer, the window is left uncreated (see move_frame). Other
// platforms tell them once the window is created.
std::optional<QMargins> frame_margins(QWidget& window);

// Places the window's frame at a screen position. With the frame's margins
// known, the client area is placed inside them: Qt's own move of a created
// window adds the frame Qt last took in while the window was shown, which
// before the first show may be none. With the margins unknown, Qt's move of a
// window not created yet asks the window manager to put the frame at the
// position when it maps the window.
void move_frame(QWidget& window, QPoint position);

}  // namespace listsong_qt
