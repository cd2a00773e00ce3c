#include "monitor_rig.h"

#include <QtTest>

// Start and Stop: the interval table, the running flag the caption is drawn
// from, the timer, and what Start and Stop leave alone.
class TstMonitorControl : public QObject {
    Q_OBJECT
private slots:
    void intervalTable_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("ms");
        QTest::addColumn<int>("reload");
        QTest::newRow("10 sec") << "10 sec" << 10000 << 0;
        QTest::newRow("30 sec") << "30 sec" << 30000 << 0;
        QTest::newRow("1 min") << "1 min" << 60000 << 0;
        QTest::newRow("5 min") << "5 min" << 60000 << 5;
        QTest::newRow("10 min") << "10 min" << 60000 << 10;
        QTest::newRow("30 min") << "30 min" << 60000 << 30;
        QTest::newRow("1 hour") << "1 hour" << 60000 << 60;
        QTest::newRow("2 hour") << "2 hour" << 60000 << 120;
        QTest::newRow("3 hour") << "3 hour" << 60000 << 180;
    }
    void intervalTable() {
        QFETCH(QString, caption);
        QFETCH(int, ms);
        QFETCH(int, reload);
        MonitorRig rig;
        QSignalSpy running(&rig.monitor, &PeriodMonitor::runningChanged);
        rig.start(caption, "http://a/");
        QVERIFY(rig.monitor.running());
        QCOMPARE(running.size(), 1);
        QVERIFY(rig.monitor.timer().isTicking());
        QCOMPARE(rig.monitor.timer().interval(), ms);
        QCOMPARE(rig.monitor.lPeriodTicks, reload);
        QCOMPARE(rig.monitor.lCountdown, reload);
        QCOMPARE(rig.monitor.sCurrentUrl, QStringLiteral("http://a/"));
        // Start itself reads, shows and navigates nothing; with no random
        // list it falls back to single mode first.
        QCOMPARE(rig.view.take(), (QStringList{"single mode", "Stop"}));
        QVERIFY(rig.fakes.reader.requests.isEmpty());
        QVERIFY(rig.fakes.browser.calls.isEmpty());

        rig.monitor.startOrStop();
        QVERIFY(!rig.monitor.running());
        QVERIFY(!rig.monitor.timer().enabled());
        QVERIFY(!rig.monitor.timer().isTicking());
        QCOMPARE(rig.view.take(), QStringList{"Start"});
        QCOMPARE(rig.monitor.lPeriodTicks, 0);
        QCOMPARE(running.size(), 2);
    }

    // A caption that is not one of the table's, case included, is refused;
    // an empty one asks for an interval and leaves the mode alone, any other
    // has fallen back to single mode first when the list is too short.
    void rejectedIntervals_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("changes");
        QTest::addColumn<QString>("box");
        QTest::newRow("empty") << "" << QStringList{} << "Select an Timer Interval! | No Interval";
        QTest::newRow("case differs") << "10 Sec" << QStringList{"single mode"}
                                      << "No valid timer interval | No valid interval";
        QTest::newRow("not a caption") << "7 min" << QStringList{"single mode"}
                                       << "No valid timer interval | No valid interval";
    }
    void rejectedIntervals() {
        QFETCH(QString, caption);
        QFETCH(QStringList, changes);
        QFETCH(QString, box);
        MonitorRig rig;
        rig.view.single = false;
        rig.start(caption);
        QVERIFY(!rig.monitor.running());
        QVERIFY(!rig.monitor.timer().enabled());
        QCOMPARE(rig.view.take(), changes);
        QCOMPARE(rig.boxes(), QStringList{box});
    }

    // Random mode needs two entries to alternate between.
    void startFallsBackToSingleModeWithShortList_data() {
        QTest::addColumn<int>("entries");
        QTest::newRow("none") << 0;
        QTest::newRow("one") << 1;
        QTest::newRow("two") << 2;
    }
    void startFallsBackToSingleModeWithShortList() {
        QFETCH(int, entries);
        MonitorRig rig;
        for (int i = 0; i < entries; ++i)
            rig.view.list << QStringLiteral("http://%1/").arg(i);
        rig.view.single = false;
        rig.start("30 sec");
        QVERIFY(rig.monitor.running());
        QCOMPARE(rig.view.single, entries < 2);
        const QStringList expected =
            entries < 2 ? QStringList{"single mode", "Stop"} : QStringList{"Stop"};
        QCOMPARE(rig.view.take(), expected);
    }

    // Stop keeps the countdown, the current URL, the last pick and the page
    // of the last change; a restart reloads from its own row.
    void stopAndRestart() {
        MonitorRig rig;
        rig.start("5 min", "http://a/");
        rig.monitor.tick();
        rig.monitor.tick();
        rig.monitor.sLastPageText = QStringLiteral("kept");
        rig.monitor.vLastPick = 3;
        rig.monitor.startOrStop();
        QCOMPARE(rig.monitor.lPeriodTicks, 0);
        QCOMPARE(rig.monitor.lCountdown, 3);
        QCOMPARE(rig.monitor.sCurrentUrl, QStringLiteral("http://a/"));
        QCOMPARE(rig.monitor.sLastPageText, QStringLiteral("kept"));
        QCOMPARE(rig.monitor.vLastPick, std::optional<int>(3));
        QCOMPARE(rig.view.take(), (QStringList{"single mode", "Stop", "min4", "min3", "Start"}));

        rig.start("10 min", QString());
        QVERIFY(rig.monitor.running());
        QCOMPARE(rig.monitor.lPeriodTicks, 10);
        QCOMPARE(rig.monitor.lCountdown, 10);
        QVERIFY(rig.monitor.sCurrentUrl.isEmpty());
        // Start leaves the countdown display alone.
        QCOMPARE(rig.view.take(), (QStringList{"single mode", "Stop"}));
        QVERIFY(rig.fakes.messages.shown.isEmpty());
    }

    // The timer the monitor owns drives it: its tick is a period end.
    void theTimerTicksTheMonitor() {
        MonitorRig rig;
        rig.view.list = {"http://a/", "http://b/"};
        rig.start("10 sec");
        rig.drawIndexes(2, {1});
        emit rig.monitor.timer().timeout();
        QCOMPARE(rig.fakes.browser.navigated, QStringList{"http://b/"});
    }
};

QTEST_MAIN(TstMonitorControl)
#include "tst_monitor_control.moc"
