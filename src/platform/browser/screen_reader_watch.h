#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <memory>

class QDBusConnection;
class QDBusPendingCallWatcher;

// Whether a screen reader says it runs: the ScreenReaderEnabled property of
// the accessibility bus's status (org.a11y.Bus on the session bus), which
// Orca sets as it starts and clears as it ends. Followed while the program
// runs; the bus is never started for it.
class ScreenReaderWatch : public QObject {
    Q_OBJECT
public:
    // Watches the session bus; without one, no screen reader is heard of.
    static std::unique_ptr<ScreenReaderWatch> onSessionBus();

    explicit ScreenReaderWatch(const QDBusConnection& bus, QObject* parent = nullptr);
    ~ScreenReaderWatch() override;
    ScreenReaderWatch(const ScreenReaderWatch&) = delete;
    ScreenReaderWatch& operator=(const ScreenReaderWatch&) = delete;

    bool running() const { return running_; }

signals:
    void runningChanged(bool running);

private slots:
    void propertiesChanged(const QString& interfaceName, const QVariantMap& changed,
                           const QStringList& invalidated);
    void answered(QDBusPendingCallWatcher* call);

private:
    void ask();
    void set(bool running);

    struct Bus;
    std::unique_ptr<Bus> bus_;
    bool running_ = false;
};
