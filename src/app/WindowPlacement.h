#pragma once

#include <QRect>

#include "app/MainWindowSettings.h"

class QWidget;

// The main window's placement in the settings store: twips (1440 per logical inch of the window's
// screen), left and top of the frame, width and height of the window.
namespace WindowPlacement {

// The window's current placement in twips.
[[nodiscard]] MainWindowSettings::Placement current(const QWidget& window);

// Places the window as stored; fields not stored keep the window's design values. A placement that
// would leave the window off every screen (or is no usable size) is ignored entirely: the window
// keeps its design position, where the user can reach it.
void apply(QWidget& window, const MainWindowSettings::Placement& placement);

// Whether a window at `frame` (pixels) can be reached: on some screen at least a strip of its top
// edge (where the title bar is) is visible.
[[nodiscard]] bool reachable(const QRect& frame);

}  // namespace WindowPlacement
