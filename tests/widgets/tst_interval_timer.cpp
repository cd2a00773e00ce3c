#include "widgets/interval_timer.h"

#include <QSignalSpy>
#include <QTest>

// The window's timer must never tick while disabled or at interval 0, or the
// monitor would act before Start or spin at full speed.
class TestIntervalTimer : public QObject {
    Q_OBJECT
private slots:
    void startsDisabledAtZero() {
        IntervalTimer t;
        QVERIFY(!t.enabled());
        QCOMPARE(t.interval(), 0);
        QVERIFY(!t.isTicking());
    }
    void enabledAtZeroDoesNotTick() {
        IntervalTimer t;
        QSignalSpy spy(&t, &IntervalTimer::timeout);
        t.setEnabled(true);
        QVERIFY(!t.isTicking());
        QTest::qWait(0); // one pass of the event loop, no waiting
        QCOMPARE(spy.count(), 0);
    }
    void intervalWithoutEnableDoesNotTick() {
        IntervalTimer t;
        t.setInterval(10);
        QVERIFY(!t.isTicking());
    }
    void ticksWhenEnabledWithInterval() {
        IntervalTimer t;
        QSignalSpy spy(&t, &IntervalTimer::timeout);
        t.setInterval(1);
        t.setEnabled(true);
        QVERIFY(t.isTicking());
        QTRY_VERIFY(spy.count() >= 1);
        t.setEnabled(false);
        QVERIFY(!t.isTicking());
        t.setEnabled(true);
        t.setInterval(0);
        QVERIFY(!t.isTicking());
    }
};

QTEST_GUILESS_MAIN(TestIntervalTimer)
#include "tst_interval_timer.moc"
