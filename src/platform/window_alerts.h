#pragma once

class QWidget;

// Asks the window manager to draw the user's eye to a window (on X11 Qt sets
// _NET_WM_STATE_DEMANDS_ATTENTION: the taskbar entry is marked until the user
// comes back). Takes no focus and raises nothing.
class WindowAlerts {
public:
    virtual ~WindowAlerts() = default;
    virtual void alert(QWidget& window) = 0;
};
