#include "platform/browser/engine_chatter.h"

#include <QLoggingCategory>
#include <QtTest>

// The engine's start-up chatter stays off the terminal unless asked for.
class TestEngineChatter : public QObject {
    Q_OBJECT
private slots:
    void chromiumLogLevel_data() {
        QTest::addColumn<QByteArray>("given");
        QTest::addColumn<QByteArray>("passed");
        QTest::newRow("none") << QByteArray() << QByteArray("--log-level=3");
        QTest::newRow("other flags") << QByteArray("--disable-gpu")
                                     << QByteArray("--disable-gpu --log-level=3");
        QTest::newRow("the user's own level")
            << QByteArray("--enable-logging --log-level=0")
            << QByteArray("--enable-logging --log-level=0");
    }
    void chromiumLogLevel() {
        QFETCH(QByteArray, given);
        QFETCH(QByteArray, passed);
        if (given.isEmpty())
            qunsetenv("QTWEBENGINE_CHROMIUM_FLAGS");
        else
            qputenv("QTWEBENGINE_CHROMIUM_FLAGS", given);
        quietenEngineStartUp();
        QCOMPARE(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"), passed);
    }

    // Qt's part is off; the program's own lines are not.
    void qtCategories() {
        quietenEngineStartUp();
        QVERIFY(!QLoggingCategory("qt.webenginecontext").isInfoEnabled());
        QVERIFY(QLoggingCategory("qt.webenginecontext").isWarningEnabled());
        QVERIFY(QLoggingCategory("vigilo.monitor").isInfoEnabled());
    }
};

QTEST_MAIN(TestEngineChatter)
#include "tst_engine_chatter.moc"
