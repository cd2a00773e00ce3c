#include "platform/browser/screen_reader_watch.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

namespace {

const QString kService = QStringLiteral("org.a11y.Bus");
const QString kPath = QStringLiteral("/org/a11y/bus");

// The accessibility bus's status as the bus launcher offers it.
class A11yStatus : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.a11y.Status")
    Q_PROPERTY(bool IsEnabled MEMBER isEnabled)
    Q_PROPERTY(bool ScreenReaderEnabled MEMBER screenReaderEnabled)
public:
    bool isEnabled = true;
    bool screenReaderEnabled = false;
};

} // namespace

class TestScreenReaderWatch : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            QSKIP("dbus-daemon is missing (Debian's dbus-daemon): no bus to play the "
                  "accessibility bus on");
        bus_.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                            QStringLiteral("--print-address=1")});
        QVERIFY(bus_.waitForStarted());
        QVERIFY(bus_.waitForReadyRead(30000));
        address_ = QString::fromLatin1(bus_.readLine().trimmed());
        QVERIFY(!address_.isEmpty());
    }

    void cleanupTestCase() {
        bus_.terminate();
        bus_.waitForFinished();
    }

    void init() {
        status_.isEnabled = true;
        status_.screenReaderEnabled = false;
    }

    void cleanup() {
        QDBusConnection::disconnectFromBus(QStringLiteral("launcher"));
        QDBusConnection::disconnectFromBus(QStringLiteral("program"));
    }

    void screenReaderRunningBeforeStartIsHeard() {
        status_.screenReaderEnabled = true;
        QVERIFY(offerStatus());
        ScreenReaderWatch watch(program());
        QTRY_VERIFY(watch.running());
    }

    // Only ScreenReaderEnabled of the status counts: the bus switched off or
    // on for other tools, or another interface's property of the same name,
    // say nothing of a screen reader.
    void followsTheScreenReaderWhileRunning() {
        QVERIFY(offerStatus());
        ScreenReaderWatch watch(program());
        QSignalSpy changes(&watch, &ScreenReaderWatch::runningChanged);
        const QString status = QStringLiteral("org.a11y.Status");
        const QString screenReader = QStringLiteral("ScreenReaderEnabled");
        status_.screenReaderEnabled = true;
        announce(status, {{screenReader, true}});
        QTRY_VERIFY(watch.running());
        status_.isEnabled = false;
        announce(status, {{QStringLiteral("IsEnabled"), false}});
        announce(QStringLiteral("org.example.Other"), {{screenReader, false}});
        announce(status, {{screenReader, true}});
        status_.screenReaderEnabled = false;
        announce(status, {{screenReader, false}});
        QTRY_VERIFY(!watch.running());
        QCOMPARE(changes.size(), 2);

        // Told only that the value changed: the watch asks for it.
        status_.screenReaderEnabled = true;
        announce(status, {}, {screenReader});
        QTRY_VERIFY(watch.running());
    }

    // The bus launcher starting after the program, and ending.
    void busComingAndGoing() {
        ScreenReaderWatch watch(program());
        QSignalSpy changes(&watch, &ScreenReaderWatch::runningChanged);
        status_.screenReaderEnabled = true;
        QVERIFY(offerStatus());
        QTRY_VERIFY(watch.running());
        QVERIFY(launcher().unregisterService(kService));
        QTRY_VERIFY(!watch.running());
        QCOMPARE(changes.size(), 2);
    }

    void noBusNoScreenReader() {
        ScreenReaderWatch watch(QDBusConnection(QStringLiteral("no such connection")));
        QCoreApplication::processEvents();
        QVERIFY(!watch.running());
    }

private:
    QDBusConnection launcher() {
        return QDBusConnection::connectToBus(address_, QStringLiteral("launcher"));
    }
    QDBusConnection program() {
        return QDBusConnection::connectToBus(address_, QStringLiteral("program"));
    }

    bool offerStatus() {
        QDBusConnection c = launcher();
        return c.registerObject(kPath, &status_, QDBusConnection::ExportAllProperties) &&
               c.registerService(kService);
    }

    void announce(const QString& interfaceName, const QVariantMap& changed,
                  const QStringList& invalidated = {}) {
        QDBusMessage signal =
            QDBusMessage::createSignal(kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                       QStringLiteral("PropertiesChanged"));
        signal << interfaceName << changed << invalidated;
        QVERIFY(launcher().send(signal));
    }

    QProcess bus_;
    QString address_;
    A11yStatus status_;
};

QTEST_GUILESS_MAIN(TestScreenReaderWatch)

#include "tst_screen_reader_watch.moc"
