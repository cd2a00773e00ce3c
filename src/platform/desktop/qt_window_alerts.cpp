#include "platform/desktop/qt_window_alerts.h"

#include <QApplication>

// Until the window is activated again; an active window is left alone.
void QtWindowAlerts::alert(QWidget& window) {
    QApplication::alert(&window, 0);
}
