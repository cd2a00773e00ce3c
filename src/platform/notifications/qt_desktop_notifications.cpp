#include "platform/notifications/qt_desktop_notifications.h"

#include "build_info.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QVariantMap>

Q_LOGGING_CATEGORY(lcNotifications, "vigilo.notifications", QtInfoMsg)

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// The action servers run when the notification itself is clicked.
const QString kShowAction = QStringLiteral("default");

QDBusMessage call(const QString& method) {
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}

} // namespace

QtDesktopNotifications::QtDesktopNotifications(const QString& connectionName)
    : connectionName_(connectionName.isEmpty() ? QDBusConnection::sessionBus().name()
                                               : connectionName) {
    QDBusConnection bus(connectionName_);
    bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                SLOT(onActionInvoked(uint, QString)));
    bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                SLOT(onNotificationClosed(uint, uint)));
}

void QtDesktopNotifications::notifyChange(const QString& address, const QDateTime& time) {
    QDBusConnection bus(connectionName_);
    if (!bus.isConnected()) {
        qCWarning(lcNotifications)
            << "No notification: no session bus:" << bus.lastError().message();
        return;
    }
    if (capabilities_) {
        send(address, time);
        return;
    }
    // Whether the body may hold markup decides how the address is written.
    auto* watcher =
        new QDBusPendingCallWatcher(bus.asyncCall(call(QStringLiteral("GetCapabilities"))), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, address, time](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                const QDBusPendingReply<QStringList> reply = *w;
                if (reply.isError()) {
                    qCWarning(lcNotifications)
                        << "No notification: no notification service:" << reply.error().message();
                    return;
                }
                capabilities_ = reply.value();
                send(address, time);
            });
}

void QtDesktopNotifications::send(const QString& address, const QDateTime& time) {
    const bool markup = capabilities_->contains(QStringLiteral("body-markup"));
    const QString shownAddress = markup ? address.toHtmlEscaped() : address;
    const QString body = shownAddress + QStringLiteral("\nat ") +
                         time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral(VIGILO_APP_ID)}};
    const uint replaces = open_.contains(newest_) ? newest_ : 0;
    QDBusMessage notify = call(QStringLiteral("Notify"));
    notify << QGuiApplication::applicationDisplayName() << replaces << QStringLiteral(VIGILO_APP_ID)
           << QStringLiteral("REAL site update") << body
           << QStringList{kShowAction, QStringLiteral("Show")} << hints << -1;

    auto* watcher =
        new QDBusPendingCallWatcher(QDBusConnection(connectionName_).asyncCall(notify), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<uint> reply = *w;
        if (reply.isError()) {
            // A server gone since it was asked: ask again next time.
            capabilities_.reset();
            qCWarning(lcNotifications) << "No notification:" << reply.error().message();
            return;
        }
        newest_ = reply.value();
        open_.insert(newest_);
    });
}

void QtDesktopNotifications::onActionInvoked(uint id, const QString& action) {
    if (open_.contains(id) && action == kShowAction)
        showWindowAsked();
}

void QtDesktopNotifications::onNotificationClosed(uint id, uint /*reason*/) {
    open_.remove(id);
}
