#include "platform/notifications/qt_desktop_notifications.h"
#include "private_session_bus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QtTest>

namespace {

// A notification server of the test's own on the private bus.
class FakeNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList capabilities;
    QList<uint> replaced;
    QStringList bodies;
    QList<QStringList> actions;

public slots:
    QStringList GetCapabilities() { return capabilities; }
    uint Notify(const QString&, uint replacesId, const QString&, const QString&,
                const QString& body, const QStringList& actionList, const QVariantMap&, int) {
        replaced << replacesId;
        bodies << body;
        actions << actionList;
        return replacesId ? replacesId : uint(replaced.size());
    }

signals:
    void ActionInvoked(uint id, const QString& actionKey);
    void NotificationClosed(uint id, uint reason);
};

const QString kServer = QStringLiteral("server");
const QString kClient = QStringLiteral("client");
const QDateTime kChanged(QDate(2024, 5, 1), QTime(14, 3, 27));

QStringList logged; // under "vigilo.notifications"
QtMessageHandler passOn = nullptr;
void recordLog(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (QLatin1String(context.category) == QLatin1String("vigilo.notifications"))
        logged << message;
    passOn(type, context, message);
}

// Returns once the client has seen all the server sent so far: the bus keeps
// each connection's order, so a round trip from each side is behind it.
void settle() {
    for (const QString& name : {kServer, kClient})
        QDBusConnection(name).interface()->serviceOwner(QStringLiteral("org.freedesktop.DBus"));
    QCoreApplication::sendPostedEvents();
}

} // namespace

class TestQtDesktopNotifications : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QString why;
        if (!bus_.start(&why))
            QSKIP(qPrintable(why));
        passOn = qInstallMessageHandler(recordLog);
    }
    void init() {
        logged.clear();
        QVERIFY(QDBusConnection::connectToBus(bus_.address(), kClient).isConnected());
        QDBusConnection server = QDBusConnection::connectToBus(bus_.address(), kServer);
        QVERIFY(server.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &server_,
                                      QDBusConnection::ExportAllSlots |
                                          QDBusConnection::ExportAllSignals));
        QVERIFY(server.registerService(QStringLiteral("org.freedesktop.Notifications")));
    }
    void cleanup() {
        QDBusConnection::disconnectFromBus(kClient);
        QDBusConnection::disconnectFromBus(kServer);
        server_.replaced.clear();
        server_.bodies.clear();
        server_.actions.clear();
    }

    // The address, never read as markup, and the time, with the action.
    void namesTheAddressAndTime_data() {
        QTest::addColumn<QStringList>("capabilities");
        QTest::addColumn<QString>("address");
        QTest::newRow("plain") << QStringList() << QStringLiteral("http://x/?a=<1>&b");
        QTest::newRow("markup") << QStringList{QStringLiteral("body-markup")}
                                << QStringLiteral("http://x/?a=&lt;1&gt;&amp;b");
    }
    void namesTheAddressAndTime() {
        QFETCH(QStringList, capabilities);
        QFETCH(QString, address);
        server_.capabilities = capabilities;
        QtDesktopNotifications notifications(kClient);
        notifications.notifyChange(QStringLiteral("http://x/?a=<1>&b"), kChanged);
        QTRY_COMPARE(server_.bodies,
                     QStringList{address + QStringLiteral("\nat 2024-05-01 14:03:27")});
        QCOMPARE(server_.actions.value(0).value(0), QStringLiteral("default"));
        QVERIFY(logged.isEmpty());
    }

    // Only the pick of its own open notification asks for the window, and a
    // newer change replaces the notification still open.
    void followsItsOwnNotifications() {
        QtDesktopNotifications notifications(kClient);
        int asked = 0;
        notifications.setShowWindow([&] { ++asked; });
        notifications.notifyChange(QStringLiteral("http://x/"), kChanged);
        QTRY_COMPARE(server_.replaced.size(), 1);
        emit server_.ActionInvoked(7, QStringLiteral("default")); // another program's
        emit server_.ActionInvoked(1, QStringLiteral("other"));
        settle();
        QCOMPARE(asked, 0);
        emit server_.ActionInvoked(1, QStringLiteral("default"));
        settle();
        QCOMPARE(asked, 1);

        notifications.notifyChange(QStringLiteral("http://x/"), kChanged);
        QTRY_COMPARE(server_.replaced, (QList<uint>{0, 1}));
        emit server_.NotificationClosed(1, 2); // closed by the user
        emit server_.ActionInvoked(1, QStringLiteral("default"));
        settle();
        QCOMPARE(asked, 1);
        notifications.notifyChange(QStringLiteral("http://x/"), kChanged);
        QTRY_COMPARE(server_.replaced, (QList<uint>{0, 1, 0}));
    }

    void withoutAServerOnlyALogLine() {
        QDBusConnection::disconnectFromBus(kServer);
        QtDesktopNotifications notifications(kClient);
        notifications.notifyChange(QStringLiteral("http://x/"), kChanged);
        QTRY_COMPARE(logged.size(), 1);
        QVERIFY2(logged[0].contains(QStringLiteral("no notification service")),
                 qPrintable(logged[0]));
    }

private:
    PrivateSessionBus bus_;
    FakeNotificationServer server_;
};

QTEST_MAIN(TestQtDesktopNotifications)
#include "tst_qt_desktop_notifications.moc"
