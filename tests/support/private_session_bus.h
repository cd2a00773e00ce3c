#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A D-Bus session bus of the test's own (Debian's dbus-daemon), which starts
// no services on demand, so a desktop's own notification server never
// answers in its place.
class PrivateSessionBus {
public:
    PrivateSessionBus() = default;
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    // Starts it and waits for its address; false with the reason in `why`
    // when it cannot.
    bool start(QString* why);
    QString address() const { return address_; }

private:
    QTemporaryDir dir_;
    QProcess process_;
    QString address_;
};
