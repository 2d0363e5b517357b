// Asking an X11 window manager, before a window is first mapped, for the
// frame it will draw around it (_NET_REQUEST_FRAME_EXTENTS, from the EWMH).
// The manager answers by setting the window's _NET_FRAME_EXTENTS property,
// which Qt reads as the window's frame margins.
#pragma once

#include <xcb/xcb.h>

namespace listsong_qt::x11 {

// Whether the window manager of the connection's first screen lists the
// request among those it supports (the root window's _NET_SUPPORTED). False
// without a window manager.
bool frame_request_supported(xcb_connection_t* connection);

// Sends the request for the window to its root window.
void request_frame_extents(xcb_connection_t* connection, xcb_window_t window);

}  // namespace listsong_qt::x11
