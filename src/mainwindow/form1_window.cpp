#include "mainwindow/form1.h"

#include "widgets/classic_frame.h"
#include "widgets/twips.h"
#include "widgets/window_placement.h"

#include <QScreen>
#include <QShowEvent>
#include <QWindowStateChangeEvent>

QMargins Form1::windowFrame() const {
    const QMargins reported = platform_.frames ? platform_.frames->frameOf(*this) : QMargins();
    if (!reported.isNull())
        return reported;
    const double s = twips::pixelsPerTwip(this);
    const int border = twips::toPixels(classicframe::kBorder, s);
    return QMargins(border, twips::toPixels(classicframe::kTitleBar + classicframe::kBorder, s),
                    border, border);
}

void Form1::centreOnScreen() {
    QScreen* s = screen();
    if (!s)
        return;
    const double scale = twips::pixelsPerTwip(this);
    const QSize client(twips::toPixels(kClientWidth, scale),
                       twips::toPixels(kClientHeight, scale) + statusLineHeight());
    placedNormal_ = placement::centred(s->availableGeometry(), client, windowFrame());
    setGeometry(placedNormal_);
}

// The window opens maximized, the window state being the window property of
// value 2; restoring it gives the normal window placed just before.
void Form1::showEvent(QShowEvent* event) {
    if (!opened_ && !event->spontaneous()) {
        opened_ = true;
        centreOnScreen();
        setWindowState(windowState() | Qt::WindowMaximized);
    }
    QWidget::showEvent(event);
}

// The normal window was placed with a classic frame, before the window
// manager said what frame it draws. If its frame is taller, the window
// restored on a small screen would reach past it: once the window manager
// has given back the placed window, fit it with the real frame. Geometry
// that arrives before that (a restore comes in steps) is left alone, so as
// not to fight the window manager.
void Form1::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || placedNormal_.isNull())
        return;
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    if (windowState() == Qt::WindowNoState &&
        (change->oldState() & (Qt::WindowMaximized | Qt::WindowFullScreen))) {
        restored_ = true;
        fitRestoredWindow();
    }
}

void Form1::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    fitRestoredWindow();
}

void Form1::fitRestoredWindow() {
    if (!restored_ || windowState() != Qt::WindowNoState || geometry() != placedNormal_)
        return;
    // Once: later normal geometry is the user's.
    restored_ = false;
    placedNormal_ = QRect();
    QScreen* s = screen();
    if (!s)
        return;
    const QRect inside = placement::keptInside(s->availableGeometry(), geometry(), windowFrame());
    if (inside != geometry())
        setGeometry(inside);
}
