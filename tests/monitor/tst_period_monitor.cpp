#include "fake_platform.h"
#include "monitor/monitor_view.h"
#include "monitor/period_monitor.h"

#include <QWidget>
#include <QtTest>

// The monitor on its own library, against a window reduced to its view: what
// it reads from the window and, in order, every change it makes there.
namespace {

class ScriptedView : public MonitorView {
public:
    QString interval = QStringLiteral("10 sec");
    QString url;
    bool single = true;
    bool sound = false;
    QStringList randomList;
    bool startOffered = true;
    QStringList references;
    QWidget window;
    QStringList changes;

    QString intervalCaption() const override { return interval; }
    QString singleUrl() const override { return url; }
    bool singleUrlMode() const override { return single; }
    void fallBackToSingleUrlMode() override {
        single = true;
        changes << QStringLiteral("single mode");
    }
    bool soundWanted() const override { return sound; }
    void playSound() override { changes << QStringLiteral("sound"); }
    int randomListCount() const override { return int(randomList.size()); }
    QString randomListEntry(int index) const override { return randomList.at(index); }
    void showRandomPick(int index) override { changes << QStringLiteral("pick %1").arg(index); }
    bool offersStart() const override { return startOffered; }
    void armTimer(int milliseconds) override {
        startOffered = false;
        changes << QStringLiteral("arm %1").arg(milliseconds);
    }
    void disarmTimer() override {
        startOffered = true;
        changes << QStringLiteral("disarm");
    }
    void showCountdown(const QString& text) override { changes << QStringLiteral("show ") + text; }
    void showInAddressBox(const QString& address) override {
        changes << QStringLiteral("address ") + address;
    }
    QWidget& alertedWindow() override { return window; }
    void resetScanLists(const QString& reference) override {
        references = {reference};
        changes << QStringLiteral("scan ") + reference;
    }
    int referenceCount() const override { return int(references.size()); }
    QString selectReference(int row) override { return references.at(row); }
};

struct Rig {
    FakePlatform fakes;
    ScriptedView view;
    PeriodMonitor monitor;

    Rig()
        : monitor(view, {fakes.internet, fakes.pointer, fakes.events, fakes.program, fakes.messages,
                         fakes.browser, fakes.alerts, fakes.platform().random}) {
        monitor.prepare();
    }
};

const QString kWatched = QStringLiteral("http://watched.invalid/");

} // namespace

class TstPeriodMonitor : public QObject {
    Q_OBJECT
private slots:
    // Start, two period ends on the watched page (a real update, then the
    // same length again) and Stop.
    void singleModeRun_data() {
        QTest::addColumn<bool>("sound");
        QTest::newRow("sound box ticked") << true;
        QTest::newRow("sound box clear") << false;
    }
    void singleModeRun() {
        QFETCH(bool, sound);
        Rig rig;
        rig.fakes.internet.pages.insert(kWatched.toLatin1(), {QByteArray("<p>one</p>")});
        rig.view.url = kWatched;
        rig.view.sound = sound;

        rig.monitor.startOrStop();
        rig.monitor.tick();
        rig.fakes.internet.pages[kWatched.toLatin1()].body = "<p>two</p>";
        rig.monitor.tick();
        rig.monitor.startOrStop();

        const QString scan = QStringLiteral("scan ") + kWatched;
        const QString address = QStringLiteral("address ") + kWatched;
        QStringList expected{QStringLiteral("single mode"), QStringLiteral("arm 10000"), scan};
        if (sound)
            expected << QStringLiteral("sound");
        expected << address << scan << address << QStringLiteral("disarm");
        QCOMPARE(rig.view.changes, expected);
        QCOMPARE(rig.fakes.alerts.alerted, QList<QWidget*>{&rig.view.window});
        QCOMPARE(rig.fakes.browser.navigated, (QStringList{kWatched, kWatched}));
        QCOMPARE(rig.monitor.sLastPageText, QStringLiteral("<p>one</p>"));
        QCOMPARE(rig.monitor.lPeriodTicks, 0);
        QVERIFY(rig.fakes.messages.shown.isEmpty());
    }

    // A countdown shown tick by tick, then a random pick that the window
    // shows as the list's choice and in its address box; nothing is read.
    void countdownThenRandomPick() {
        Rig rig;
        rig.view.randomList = {QStringLiteral("http://a.invalid/"),
                               QStringLiteral("http://b.invalid/")};
        rig.view.single = false;
        rig.view.interval = QStringLiteral("5 min");
        rig.fakes.draws = {0.75};

        rig.monitor.startOrStop();
        for (int tick = 0; tick < 6; ++tick)
            rig.monitor.tick();

        QCOMPARE(rig.view.changes,
                 (QStringList{"arm 60000", "show min4", "show min3", "show min2", "show min1",
                              "show min0", "pick 1", "address http://b.invalid/"}));
        QVERIFY(!rig.view.single); // two entries: random mode stays
        QCOMPARE(rig.fakes.browser.navigated, QStringList{"http://b.invalid/"});
        QVERIFY(!rig.fakes.internet.calls.join(' ').contains(QLatin1String("open url")));
        QCOMPARE(rig.monitor.lCountdown, 5);
    }

    // The box saying the list is too small finds the timer already stopped,
    // so ticks behind the modal box cannot pile up more boxes.
    void tooSmallListStopsBeforeItsBox() {
        Rig rig;
        rig.view.randomList = {QStringLiteral("http://only.invalid/")};
        bool stoppedWhileOpen = false;
        rig.fakes.messages.whileOpen = [&] { stoppedWhileOpen = rig.view.startOffered; };
        rig.monitor.startOrStop();
        rig.monitor.tick();
        QVERIFY(stoppedWhileOpen);
        QCOMPARE(rig.view.changes,
                 (QStringList{"single mode", "arm 10000", QStringLiteral("disarm")}));
        QVERIFY(rig.fakes.browser.navigated.isEmpty());
    }
};

QTEST_MAIN(TstPeriodMonitor)
#include "tst_period_monitor.moc"
