// The window's icon for the Qt front end.
#pragma once

#include <QIcon>

namespace listsong_qt {

// The window's own 64 x 64 icon, drawn in code: a catalogue card with a music
// note over a record.
QIcon window_icon();

}  // namespace listsong_qt
