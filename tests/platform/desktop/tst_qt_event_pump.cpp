#include "platform/desktop/qt_event_pump.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTest>

#include <chrono>

using namespace std::chrono_literals;

namespace {

// Counts the events posted to it as they are delivered; the clock may be moved
// on from inside delivery, as a long handler would.
class Receiver : public QObject {
public:
    int delivered = 0;
    std::function<void()> onEvent;

protected:
    bool event(QEvent* e) override {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        ++delivered;
        if (onEvent)
            onEvent();
        return true;
    }
};

void post(Receiver& receiver) {
    QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
}

} // namespace

class TestQtEventPump : public QObject {
    Q_OBJECT

private slots:
    // Rounds are spaced: the first always runs, a call inside the spacing
    // leaves events waiting, and the spacing counts from a round's end.
    void roundsAreSpacedFromTheLastRoundsEnd() {
        std::chrono::nanoseconds now = 1000s;
        QtEventPump pump(250us, [&] { return now; });
        Receiver receiver;
        receiver.onEvent = [&] { now += 5ms; }; // a handler that takes its time

        post(receiver);
        pump.processEvents();
        QCOMPARE(receiver.delivered, 1);

        // Each time the last round ended 5 ms after it began.
        for (int delivered = 1; delivered <= 2; ++delivered) {
            post(receiver);
            now += 249us;
            pump.processEvents();
            QCOMPARE(receiver.delivered, delivered);
            now += 1us;
            pump.processEvents();
            QCOMPARE(receiver.delivered, delivered + 1);
        }
    }

    void zeroSpacingRunsARoundAtEveryCall() {
        const std::chrono::nanoseconds now = 1s;
        QtEventPump pump(0ns, [&] { return now; });
        Receiver receiver;
        for (int i = 1; i <= 3; ++i) {
            post(receiver);
            pump.processEvents();
            QCOMPARE(receiver.delivered, i);
        }
    }

    // The program's own pump on the real clock: a first round runs at once.
    void defaultPumpRunsItsFirstRound() {
        QtEventPump pump;
        Receiver receiver;
        post(receiver);
        pump.processEvents();
        QCOMPARE(receiver.delivered, 1);
    }
};

QTEST_MAIN(TestQtEventPump)
#include "tst_qt_event_pump.moc"
