#pragma once

#include <QAccessible>
#include <QObject>

// Keeps the web engine's accessible tree for screen readers. Qt WebEngine
// builds the tree of every page it loads whenever Qt tells it that its
// accessibility is active, and Qt is active whenever anything listens on the
// accessibility bus: an on-screen keyboard or a test tool makes each load
// cost twice or more, for a tree nobody reads.
//
// The engine hears of Qt's activity only through QAccessible's activation
// observers; QAccessible::setActive() tells those observers alone, leaving
// QAccessible::isActive() and with it the window's own controls as Qt set
// them. The switch tells them that accessibility is active only while a
// screen reader runs and Qt is active, and tells them again whenever Qt
// itself has told them otherwise (when it reaches the bus after start-up).
//
// Make it once the engine has started (after the first view's page exists):
// the engine switches its tree on by itself when it starts while Qt is active.
class WebAccessibilitySwitch : public QObject, private QAccessible::ActivationObserver {
    Q_OBJECT
public:
    explicit WebAccessibilitySwitch(QObject* parent = nullptr);
    ~WebAccessibilitySwitch() override;
    WebAccessibilitySwitch(const WebAccessibilitySwitch&) = delete;
    WebAccessibilitySwitch& operator=(const WebAccessibilitySwitch&) = delete;

    // Whether the engine was last told to build its trees.
    bool engineOn() const { return told_; }

public slots:
    void setScreenReaderRunning(bool running);

private:
    void accessibilityActiveChanged(bool active) override;
    bool wanted() const { return screenReader_ && QAccessible::isActive(); }
    void tell();

    bool screenReader_ = false;
    bool told_ = false;
    bool telling_ = false;
};
