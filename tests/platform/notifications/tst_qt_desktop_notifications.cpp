#include "build_info.h"
#include "platform/notifications/qt_desktop_notifications.h"
#include "private_session_bus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QtTest>

#include <memory>

namespace {

// A notification server of the test's own on the private bus: it records
// each Notify and lets the test play the user and the server.
class FakeNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Notified {
        QString appName;
        uint replacesId;
        QString icon;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
        int timeout;
    };
    QList<Notified> notified;
    QStringList capabilities{QStringLiteral("actions")};

public slots:
    QStringList GetCapabilities() { return capabilities; }
    uint Notify(const QString& appName, uint replacesId, const QString& icon,
                const QString& summary, const QString& body, const QStringList& actions,
                const QVariantMap& hints, int timeout) {
        notified.append({appName, replacesId, icon, summary, body, actions, hints, timeout});
        return replacesId ? replacesId : ++lastId_;
    }
    void CloseNotification(uint id) { emit NotificationClosed(id, 3); }

signals:
    void ActionInvoked(uint id, const QString& actionKey);
    void NotificationClosed(uint id, uint reason);

private:
    uint lastId_ = 0;
};

const QString kServerConnection = QStringLiteral("notification-server");
const QString kClientConnection = QStringLiteral("notification-client");

QStringList notificationLog; // what was logged under "vigilo.notifications"
QtMessageHandler previousHandler = nullptr;
void recordLog(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (QLatin1String(context.category) == QLatin1String("vigilo.notifications"))
        notificationLog.append(message);
    previousHandler(type, context, message);
}

const QDateTime kChanged(QDate(2024, 5, 1), QTime(14, 3, 27));

// Waits until the service has seen everything the server sent so far: a bus
// answers each connection in order, so once the server's round trip is back
// its signals are on their way to the client, and once the client's is back
// they have reached it. Then they are delivered.
void settle() {
    QDBusConnection(kServerConnection)
        .interface()
        ->serviceOwner(QStringLiteral("org.freedesktop.DBus"));
    QDBusConnection(kClientConnection)
        .interface()
        ->serviceOwner(QStringLiteral("org.freedesktop.DBus"));
    QCoreApplication::sendPostedEvents();
}

} // namespace

class TestQtDesktopNotifications : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void notifiesTheAddressAndTime_data();
    void notifiesTheAddressAndTime();
    void pickingTheNotificationAsksForTheWindow();
    void aNewerChangeReplacesTheOneStillShown();
    void withoutAServerOnlyALogLine();
    void withoutABusOnlyALogLine();

private:
    std::unique_ptr<PrivateSessionBus> bus_;
    std::unique_ptr<FakeNotificationServer> server_;
};

void TestQtDesktopNotifications::initTestCase() {
    bus_ = std::make_unique<PrivateSessionBus>();
    QString why;
    if (!bus_->start(&why))
        QSKIP(qPrintable(why));
    previousHandler = qInstallMessageHandler(recordLog);
}

void TestQtDesktopNotifications::cleanupTestCase() {
    if (previousHandler)
        qInstallMessageHandler(previousHandler);
}

void TestQtDesktopNotifications::init() {
    notificationLog.clear();
    QVERIFY(QDBusConnection::connectToBus(bus_->address(), kClientConnection).isConnected());
    server_ = std::make_unique<FakeNotificationServer>();
    QDBusConnection connection = QDBusConnection::connectToBus(bus_->address(), kServerConnection);
    QVERIFY(connection.isConnected());
    QVERIFY(connection.registerObject(
        QStringLiteral("/org/freedesktop/Notifications"), server_.get(),
        QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals));
    QVERIFY(connection.registerService(QStringLiteral("org.freedesktop.Notifications")));
}

void TestQtDesktopNotifications::cleanup() {
    QDBusConnection::disconnectFromBus(kClientConnection);
    QDBusConnection::disconnectFromBus(kServerConnection);
    server_.reset();
}

void TestQtDesktopNotifications::notifiesTheAddressAndTime_data() {
    QTest::addColumn<QStringList>("capabilities");
    QTest::addColumn<QString>("shownAddress");
    const QString address = QStringLiteral("http://example.org/a?b=<1>&c=2");
    QTest::newRow("plain body") << QStringList{QStringLiteral("actions")} << address;
    // Where the body is markup, the address must not read as markup.
    QTest::newRow("markup body") << QStringList{QStringLiteral("actions"),
                                                QStringLiteral("body-markup")}
                                 << QStringLiteral("http://example.org/a?b=&lt;1&gt;&amp;c=2");
}

void TestQtDesktopNotifications::notifiesTheAddressAndTime() {
    QFETCH(QStringList, capabilities);
    QFETCH(QString, shownAddress);
    server_->capabilities = capabilities;
    QtDesktopNotifications notifications(kClientConnection);
    notifications.notifyChange(QStringLiteral("http://example.org/a?b=<1>&c=2"), kChanged);
    QTRY_COMPARE(server_->notified.size(), 1);
    const FakeNotificationServer::Notified& n = server_->notified.first();
    QCOMPARE(n.appName, QGuiApplication::applicationDisplayName());
    QCOMPARE(n.replacesId, 0u);
    QCOMPARE(n.icon, QStringLiteral(VIGILO_APP_ID));
    QCOMPARE(n.summary, QStringLiteral("REAL site update"));
    QCOMPARE(n.body, shownAddress + QStringLiteral("\nat 2024-05-01 14:03:27"));
    QCOMPARE(n.actions, QStringList({QStringLiteral("default"), QStringLiteral("Show")}));
    QCOMPARE(n.hints.value(QStringLiteral("desktop-entry")).toString(),
             QStringLiteral(VIGILO_APP_ID));
    QCOMPARE(n.timeout, -1); // as long as the server keeps notifications
    QVERIFY(notificationLog.isEmpty());
}

// Only the pick of our own notification's action asks for the window; other
// programs' notifications, other actions and closed notifications are none
// of ours.
void TestQtDesktopNotifications::pickingTheNotificationAsksForTheWindow() {
    QtDesktopNotifications notifications(kClientConnection);
    int asked = 0;
    notifications.setShowWindow([&] { ++asked; });
    notifications.notifyChange(QStringLiteral("http://example.org/"), kChanged);
    QTRY_COMPARE(server_->notified.size(), 1);
    emit server_->ActionInvoked(7, QStringLiteral("default")); // another program's
    emit server_->ActionInvoked(1, QStringLiteral("other"));
    settle();
    QCOMPARE(asked, 0);
    emit server_->ActionInvoked(1, QStringLiteral("default"));
    settle();
    QCOMPARE(asked, 1);

    emit server_->NotificationClosed(1, 2);
    emit server_->ActionInvoked(1, QStringLiteral("default"));
    settle();
    QCOMPARE(asked, 1);
}

void TestQtDesktopNotifications::aNewerChangeReplacesTheOneStillShown() {
    QtDesktopNotifications notifications(kClientConnection);
    notifications.notifyChange(QStringLiteral("http://example.org/1"), kChanged);
    QTRY_COMPARE(server_->notified.size(), 1);
    settle();
    notifications.notifyChange(QStringLiteral("http://example.org/2"), kChanged);
    QTRY_COMPARE(server_->notified.size(), 2);
    QCOMPARE(server_->notified[1].replacesId, 1u);

    // Closed by the user: the next change is a new notification.
    emit server_->NotificationClosed(1, 2);
    settle();
    notifications.notifyChange(QStringLiteral("http://example.org/3"), kChanged);
    QTRY_COMPARE(server_->notified.size(), 3);
    QCOMPARE(server_->notified[2].replacesId, 0u);
}

void TestQtDesktopNotifications::withoutAServerOnlyALogLine() {
    QDBusConnection::disconnectFromBus(kServerConnection);
    QtDesktopNotifications notifications(kClientConnection);
    notifications.notifyChange(QStringLiteral("http://example.org/"), kChanged);
    QTRY_COMPARE(notificationLog.size(), 1);
    QVERIFY2(notificationLog.first().contains(QStringLiteral("no notification service")),
             qPrintable(notificationLog.first()));
    QVERIFY(server_->notified.isEmpty());
}

void TestQtDesktopNotifications::withoutABusOnlyALogLine() {
    QTemporaryDir nowhere;
    const QString name = QStringLiteral("no-bus");
    QDBusConnection::connectToBus(QStringLiteral("unix:path=") + nowhere.filePath(name), name);
    const auto disconnect = qScopeGuard([&] { QDBusConnection::disconnectFromBus(name); });
    QtDesktopNotifications notifications(name);
    notifications.notifyChange(QStringLiteral("http://example.org/"), kChanged);
    QCOMPARE(notificationLog.size(), 1);
    QVERIFY2(notificationLog.first().contains(QStringLiteral("no session bus")),
             qPrintable(notificationLog.first()));
}

QTEST_MAIN(TestQtDesktopNotifications)
#include "tst_qt_desktop_notifications.moc"
