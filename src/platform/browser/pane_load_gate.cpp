#include "platform/browser/pane_load_gate.h"

#include <QEvent>

#include <utility>

PaneLoadGate::PaneLoadGate(QWidget* pane, Load load) : pane_(pane), load_(std::move(load)) {}

bool PaneLoadGate::paneShown() const {
    return pane_ && pane_->isVisible() && !pane_->window()->isMinimized();
}

void PaneLoadGate::request(const QUrl& url) {
    if (paneShown()) {
        drop();
        load_(url);
        return;
    }
    held_ = url;
    watch();
}

void PaneLoadGate::drop() {
    held_.reset();
    unwatch();
}

// The pane is watched for being shown and reparented, its window for being
// restored; both only while a request is held.
void PaneLoadGate::watch() {
    if (!pane_)
        return;
    pane_->installEventFilter(this);
    QWidget* window = pane_->window();
    if (window == window_)
        return;
    if (window_ && window_ != pane_)
        window_->removeEventFilter(this);
    window_ = window;
    window_->installEventFilter(this);
}

void PaneLoadGate::unwatch() {
    if (pane_)
        pane_->removeEventFilter(this);
    if (window_)
        window_->removeEventFilter(this);
    window_ = nullptr;
}

bool PaneLoadGate::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::WindowStateChange:
        if (held_ && paneShown()) {
            const QUrl url = *held_;
            drop();
            load_(url);
        }
        break;
    case QEvent::ParentChange:
        if (held_ && watched == pane_)
            watch();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
