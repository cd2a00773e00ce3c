#include "platform/desktop/qt_window_frames.h"

#include <QWidget>

QMargins QtWindowFrames::frameOf(const QWidget& window) const {
    const QRect client = window.geometry();
    const QRect outer = window.frameGeometry();
    return QMargins(client.left() - outer.left(), client.top() - outer.top(),
                    outer.right() - client.right(), outer.bottom() - client.bottom());
}
