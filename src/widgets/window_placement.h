#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

// Where a top-level window's client area goes so that the window, frame
// included, lies inside a screen's available area.
namespace placement {

// `client` centred in `area`; where the framed window is larger than the
// area, as large as the area allows.
QRect centred(const QRect& area, QSize client, const QMargins& frame);

// `client` moved, and shrunk where it must be, as little as keeps the framed
// window inside `area`.
QRect keptInside(const QRect& area, const QRect& client, const QMargins& frame);

} // namespace placement
