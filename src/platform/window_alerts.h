#pragma once

class QWidget;

// Asks the window manager to draw the user's eye to a window (on X11 the
// urgency hint: the taskbar entry is marked until the user comes back). Takes
// no focus and raises nothing.
class WindowAlerts {
public:
    virtual ~WindowAlerts() = default;
    virtual void alert(QWidget& window) = 0;
};
