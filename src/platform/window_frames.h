#pragma once

#include <QMargins>

class QWidget;

// The frame a window manager draws around a top-level window (title bar and
// borders), in the window's pixels.
class WindowFrames {
public:
    virtual ~WindowFrames() = default;
    // Null where none is drawn, and before the window system has reported it
    // (a window never shown yet).
    virtual QMargins frameOf(const QWidget& window) const = 0;
};
