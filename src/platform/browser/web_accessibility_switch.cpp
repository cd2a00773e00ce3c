#include "platform/browser/web_accessibility_switch.h"

#include "platform/browser/browser_log.h"

WebAccessibilitySwitch::WebAccessibilitySwitch(QObject* parent) : QObject(parent) {
    QAccessible::installActivationObserver(this);
    // The engine may have switched its tree on as it started.
    told_ = !wanted();
    tell();
}

WebAccessibilitySwitch::~WebAccessibilitySwitch() {
    QAccessible::removeActivationObserver(this);
}

void WebAccessibilitySwitch::setScreenReaderRunning(bool running) {
    if (running == screenReader_)
        return;
    screenReader_ = running;
    qCInfo(lcBrowser) << "screen reader" << (running ? "running" : "gone");
    tell();
}

void WebAccessibilitySwitch::accessibilityActiveChanged(bool active) {
    told_ = active;
    if (telling_ || active == wanted())
        return;
    // Qt is telling every observer in turn: an answer now could come before
    // the engine's turn, so it waits until Qt has told them all.
    QMetaObject::invokeMethod(this, &WebAccessibilitySwitch::tell, Qt::QueuedConnection);
}

void WebAccessibilitySwitch::tell() {
    const bool on = wanted();
    if (on == told_)
        return;
    telling_ = true;
    QAccessible::setActive(on);
    telling_ = false;
    qCInfo(lcBrowser) << "web pages' accessible trees" << (on ? "on" : "off");
}
