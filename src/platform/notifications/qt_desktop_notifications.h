#pragma once

#include "platform/desktop_notifications.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

// Notifications through the freedesktop notification service
// (org.freedesktop.Notifications) on the session bus, or on the D-Bus
// connection of that name when one is given. A newer change replaces the
// notification still shown. Whatever fails is logged under
// "vigilo.notifications" and goes no further.
class QtDesktopNotifications : public QObject, public DesktopNotifications {
    Q_OBJECT
public:
    explicit QtDesktopNotifications(const QString& connectionName = QString());

    void notifyChange(const QString& address, const QDateTime& time) override;

private slots:
    void onActionInvoked(uint id, const QString& action);
    void onNotificationClosed(uint id, uint reason);

private:
    void send(const QString& address, const QDateTime& time);

    QString connectionName_;
    // The server's capabilities, asked once it first answers.
    std::optional<QStringList> capabilities_;
    QSet<uint> open_; // ours, still shown
    uint newest_ = 0;
};
