#include "widgets/frame_focus_trap.h"

#include <QApplication>
#include <QEvent>

FrameFocusTrap::FrameFocusTrap(QWidget* frame, QWidget* first, QWidget* returnTo)
    : QObject(frame), frame_(frame), first_(first), returnTo_(returnTo) {
    frame->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, &FrameFocusTrap::focusChanged);
}

bool FrameFocusTrap::eventFilter(QObject* watched, QEvent* event) {
    if (watched == frame_) {
        // The frame also sees Show and Hide when the whole window is
        // minimised and restored; only its own showing and hiding count.
        if (event->type() == QEvent::Show && !open_ && frame_->isVisible()) {
            open_ = true;
            if (first_)
                first_->setFocus(Qt::OtherFocusReason);
        } else if (event->type() == QEvent::Hide && open_ && frame_->isHidden()) {
            open_ = false;
            if (returnTo_ && returnTo_->isVisible() && returnTo_->isEnabled())
                returnTo_->setFocus(Qt::OtherFocusReason);
        }
    }
    return QObject::eventFilter(watched, event);
}

void FrameFocusTrap::focusChanged(QWidget* old, QWidget* now) {
    if (!open_ || !now || !frame_ || now->window() != frame_->window() || frame_->isAncestorOf(now))
        return;
    QWidget* back = old && frame_->isAncestorOf(old) && takesTabFocus(old) ? old : first_.data();
    if (back)
        back->setFocus(Qt::OtherFocusReason);
}

bool FrameFocusTrap::takesTabFocus(const QWidget* widget) const {
    return frame_->isAncestorOf(widget) && widget->isVisible() && widget->isEnabled() &&
           (widget->focusPolicy() & Qt::TabFocus) && !widget->focusProxy();
}

bool FrameFocusTrap::moveFocus(bool next) {
    if (!open_ || !frame_)
        return false;
    QWidget* from = QApplication::focusWidget();
    if (!from || !frame_->isAncestorOf(from))
        from = first_;
    if (!from)
        return true;
    // The window's focus chain is a ring in tab order; walk it once round.
    QWidget* w = from;
    do {
        w = next ? w->nextInFocusChain() : w->previousInFocusChain();
        if (takesTabFocus(w)) {
            w->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    } while (w && w != from);
    return true; // nothing else in the frame takes focus: stay
}
