#include "monitor_rig.h"

#include <QtTest>

#include <stdexcept>

namespace {

const QStringList kThree{QStringLiteral("http://a.invalid/"), QStringLiteral("http://b.invalid/"),
                         QStringLiteral("http://c.invalid/")};

} // namespace

// The countdown between period ends, and the period ends of the random
// branch: a pick from the list, shown without reading anything.
class TstPeriodEnd : public QObject {
    Q_OBJECT
private slots:
    void fiveMinuteCountdown() {
        MonitorRig rig;
        rig.view.list = kThree;
        rig.start("5 min");
        rig.view.take();
        for (int tick = 1; tick <= 7; ++tick)
            rig.monitor.tick();
        // The sixth tick acts and leaves the countdown as it was.
        const QStringList changes = rig.view.take();
        QCOMPARE(changes.mid(0, 5), (QStringList{"min4", "min3", "min2", "min1", "min0"}));
        QCOMPARE(changes.last(), QStringLiteral("min4"));
        QCOMPARE(rig.fakes.browser.navigated.size(), 1);
        QCOMPARE(rig.monitor.lCountdown, 4);
        QCOMPARE(rig.monitor.lPeriodTicks, 5);
    }

    void shortIntervalsActOnEveryTick_data() {
        QTest::addColumn<QString>("interval");
        QTest::newRow("10 sec") << "10 sec";
        QTest::newRow("30 sec") << "30 sec";
        QTest::newRow("1 min") << "1 min";
    }
    void shortIntervalsActOnEveryTick() {
        QFETCH(QString, interval);
        MonitorRig rig;
        rig.view.list = kThree;
        rig.start(interval);
        for (int tick = 1; tick <= 4; ++tick) {
            rig.monitor.tick();
            QCOMPARE(rig.fakes.browser.navigated.size(), tick);
        }
        QVERIFY(!rig.view.changes.join(' ').contains("min"));
    }

    void threeHourPeriod() {
        MonitorRig rig;
        rig.view.list = kThree;
        rig.start("3 hour");
        for (int tick = 1; tick <= 180; ++tick)
            rig.monitor.tick();
        QVERIFY(rig.fakes.browser.navigated.isEmpty());
        rig.monitor.tick();
        QCOMPARE(rig.fakes.browser.navigated.size(), 1);
        QCOMPARE(rig.monitor.lCountdown, 180);
    }

    // Each pick differs from the one before; the first of a run is never
    // index 0; the last pick outlives a restart. A redraw moves on through
    // the generator rather than seeing the same number again.
    void randomPickNeverRepeatsPrevious() {
        MonitorRig rig;
        rig.view.list = kThree;
        rig.start("10 sec");
        rig.drawIndexes(3, {0, 0, 1, 1, 2, 0});
        for (int i = 0; i < 3; ++i)
            rig.monitor.tick();
        const QStringList expected{kThree[1], kThree[2], kThree[0]};
        QCOMPARE(rig.fakes.browser.navigated, expected);
        QCOMPARE(rig.view.take(),
                 (QStringList{"Stop", "pick 1", "address " + kThree[1], "pick 2",
                              "address " + kThree[2], "pick 0", "address " + kThree[0]}));
        QCOMPARE(rig.monitor.vLastPick, std::optional<int>(0));
        QCOMPARE(rig.monitor.sCurrentUrl, kThree[0]);
        QVERIFY(rig.fakes.draws.empty());
        QVERIFY(rig.fakes.reader.requests.isEmpty());

        rig.monitor.startOrStop();
        rig.start("10 sec");
        rig.drawIndexes(3, {0, 1});
        rig.monitor.tick();
        QCOMPARE(rig.fakes.browser.navigated.last(), kThree[1]);
        QVERIFY(rig.fakes.messages.shown.isEmpty());
    }

    // The box finds the timer already stopped, so ticks behind the modal box
    // cannot pile up more boxes; the interval and countdown stay.
    void oneEntryListStopsWithMessage() {
        MonitorRig rig;
        rig.view.list = {QStringLiteral("http://only.invalid/")};
        rig.start("5 min");
        bool enabledWhileOpen = true;
        rig.fakes.messages.whileOpen = [&] { enabledWhileOpen = rig.monitor.timer().enabled(); };
        for (int i = 0; i < 6; ++i)
            rig.monitor.tick();
        QCOMPARE(rig.boxes(), QStringList{"Random list to small stopping timer.. | hey..."});
        QVERIFY(!enabledWhileOpen);
        QVERIFY(!rig.monitor.running());
        QCOMPARE(rig.view.changes.last(), QStringLiteral("Start"));
        QVERIFY(rig.fakes.browser.navigated.isEmpty());
        QCOMPARE(rig.monitor.lPeriodTicks, 5);
        QCOMPARE(rig.monitor.lCountdown, 5);
    }

    // After a pick of another index the one entry is shown once; the next
    // period end finds it repeated and stops.
    void oneEntryListShownOnceAfterOtherPick() {
        MonitorRig rig;
        rig.view.list = {QStringLiteral("http://only.invalid/")};
        rig.monitor.vLastPick = 2;
        rig.start("10 sec");
        rig.monitor.tick();
        QCOMPARE(rig.fakes.browser.navigated, QStringList{"http://only.invalid/"});
        QVERIFY(rig.monitor.running());
        rig.monitor.tick();
        QCOMPARE(rig.fakes.messages.shown.size(), 1);
        QVERIFY(!rig.monitor.running());
    }

    void emptyListAfterEarlierPickStopsSilently() {
        MonitorRig rig;
        rig.view.list = kThree;
        rig.start("10 sec");
        rig.drawIndexes(3, {1});
        rig.monitor.tick();
        rig.view.list.clear();
        rig.monitor.tick();
        QVERIFY(!rig.monitor.running());
        QVERIFY(rig.fakes.messages.shown.isEmpty());
        QCOMPARE(rig.fakes.browser.navigated.size(), 1);
        QCOMPARE(rig.monitor.vLastPick, std::optional<int>(1));
    }

    void emptyEntryIsRememberedButNotShown() {
        MonitorRig rig;
        rig.view.list = {QStringLiteral("http://a.invalid/"), QString(),
                         QStringLiteral("http://c.invalid/")};
        rig.start("10 sec");
        rig.drawIndexes(3, {1});
        rig.monitor.tick();
        QCOMPARE(rig.monitor.vLastPick, std::optional<int>(1));
        QVERIFY(rig.monitor.sCurrentUrl.isEmpty());
        QCOMPARE(rig.view.take(), (QStringList{"Stop", "pick 1"}));
        QVERIFY(rig.fakes.browser.navigated.isEmpty());
        QVERIFY(rig.monitor.running());
    }

    // A failing control call stops the monitor without a word.
    void failingBrowserStopsMonitorSilently() {
        MonitorRig rig;
        rig.view.list = kThree;
        rig.start("5 min");
        for (int i = 0; i < 5; ++i)
            rig.monitor.tick();
        rig.fakes.browser.failNext = true;
        rig.monitor.tick();
        QVERIFY(!rig.monitor.running());
        QVERIFY(!rig.monitor.timer().isTicking());
        QVERIFY(rig.fakes.messages.shown.isEmpty());
        QCOMPARE(rig.monitor.lPeriodTicks, 5);
        QCOMPARE(rig.monitor.lCountdown, 5);
    }

    // Random mode draws from the list whatever the URL box holds; back in
    // single mode the next period end reads the URL box again.
    void randomModeDrawsWhateverUrlBoxHolds() {
        MonitorRig rig;
        rig.view.list = kThree;
        rig.view.single = false;
        rig.start("10 sec", "http://single.invalid/");
        rig.drawIndexes(3, {2, 1});
        rig.monitor.tick();
        rig.monitor.tick();
        QCOMPARE(rig.fakes.browser.navigated, (QStringList{kThree[2], kThree[1]}));
        QVERIFY(rig.fakes.reader.requests.isEmpty());
        rig.view.single = true;
        rig.monitor.tick();
        QCOMPARE(rig.fakes.reader.requests.size(), 1);
        QCOMPARE(rig.fakes.reader.requests[0].url, QByteArray("http://single.invalid/"));
    }

    // Single mode with the URL box empty picks from the list instead.
    void emptyUrlBoxPicksFromTheList() {
        MonitorRig rig;
        rig.view.list = kThree;
        rig.start("10 sec");
        rig.drawIndexes(3, {2});
        rig.monitor.tick();
        QCOMPARE(rig.fakes.browser.navigated, QStringList{kThree[2]});
        QVERIFY(rig.fakes.reader.requests.isEmpty());
        QVERIFY(rig.view.single);
    }
};

QTEST_MAIN(TstPeriodEnd)
#include "tst_period_end.moc"
