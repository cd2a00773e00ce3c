#include "monitor/status_texts.h"
#include "monitor_rig.h"

#include <QtTest>

namespace {

const QString kPage = QStringLiteral("http://watched.invalid/");

} // namespace

// What the monitor says on the status line, on a clock the test sets.
class TstStatusLine : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom)); }

    // A run in single mode: started, each outcome with the time of the
    // last change and of the next check, and stopped.
    void singleModeRun() {
        MonitorRig rig;
        rig.fakes.clock = QDateTime(QDate(2026, 12, 8), QTime(14, 0, 0));
        QCOMPARE(rig.view.statuses, QStringList{"Stopped"});
        rig.start("5 min", kPage);
        QCOMPARE(rig.view.statuses.last(),
                 QStringLiteral("Started: the first check comes at 14:06:00."));
        for (int i = 0; i < 5; ++i)
            rig.monitor.tick();
        rig.fakes.clock = QDateTime(QDate(2026, 12, 8), QTime(14, 6, 0));
        rig.periodEnd("<p>one</p>");
        QCOMPARE(rig.view.statuses.last(),
                 QStringLiteral("Checked at 14:06:00: a REAL site update (10 characters). Last "
                                "change 14:06:00. Next check 14:12:00."));
        for (int i = 0; i < 5; ++i)
            rig.monitor.tick();
        rig.fakes.clock = QDateTime(QDate(2026, 12, 8), QTime(14, 12, 1));
        rig.periodEnd("<p>two</p>");
        QCOMPARE(rig.view.statuses.last(),
                 QStringLiteral("Checked at 14:12:01: no change (10 characters). Last change "
                                "14:06:00. Next check 14:18:01."));
        for (int i = 0; i < 5; ++i)
            rig.monitor.tick();
        rig.fakes.clock = QDateTime(QDate(2026, 12, 9), QTime(9, 30, 0)); // the next day
        rig.monitor.tick();
        rig.fakes.reader.fail(InternetError::Timeout);
        QCOMPARE(rig.view.statuses.last(),
                 QStringLiteral("Checked at 09:30:00: Error: The request has timed out. Last "
                                "change 08/12/2026 14:06:00. Next check 09:36:00."));
        rig.monitor.startOrStop();
        QCOMPARE(rig.view.statuses.last(), QStringLiteral("Stopped"));
    }

    // A first check that fails has no change to name; a check made while
    // the monitor is stopped names no next one.
    void firstCheckFailsWhileStopped() {
        MonitorRig rig;
        rig.view.url = kPage;
        rig.monitor.tick();
        rig.fakes.reader.fail(InternetError::NameNotResolved, "The server is away");
        QCOMPARE(rig.view.statuses.last(), QStringLiteral("Checked at 14:03:10: Error: The server "
                                                          "is away. No change seen yet."));
    }

    void randomPick() {
        MonitorRig rig;
        rig.view.list = {"http://a/", "http://b/"};
        rig.start("10 sec");
        rig.drawIndexes(2, {1});
        rig.monitor.tick();
        QCOMPARE(rig.view.statuses.last(),
                 QStringLiteral("Showing http://b/ since 14:03:10. Next pick 14:03:20."));
    }

    // The desktop's clock format, with seconds added where it has none.
    void clockFormats_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("shown");
        QTest::newRow("en_GB") << QLocale(QLocale::English, QLocale::UnitedKingdom) << "21:05:09";
        QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates)
                               << "9:05:09\u202fPM";
        QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany) << "21:05:09";
        QTest::newRow("C") << QLocale::c() << "21:05:09";
    }
    void clockFormats() {
        QFETCH(QLocale, locale);
        QFETCH(QString, shown);
        const QDateTime at(QDate(2026, 12, 8), QTime(21, 5, 9));
        QCOMPARE(statustexts::moment(at, at, locale).replace(QChar(' '), QChar(0x202f)),
                 shown.replace(QChar(' '), QChar(0x202f)));
    }
};

QTEST_MAIN(TstStatusLine)
#include "tst_status_line.moc"
