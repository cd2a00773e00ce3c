#include "platform/desktop/qt_busy_pointer.h"

#include <QCursor>
#include <QGuiApplication>

// Busy and restore come in pairs, but a restore must always leave the default
// pointer even if an earlier busy was never matched.
void QtBusyPointer::setBusy() {
    if (depth_ == 0)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    ++depth_;
}

void QtBusyPointer::restore() {
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
    depth_ = 0;
}
