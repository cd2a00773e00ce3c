#include "fake_platform.h"
#include "mainwindow/form1.h"
#include "widgets/interval_timer.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <memory>

// Period ends that take the random branch: no download is involved, so the
// scripted internet stays untouched throughout.
namespace {

struct Rig {
    FakePlatform fakes;
    std::unique_ptr<Form1> form;
    int startNavigations = 0;

    explicit Rig(const QStringList& randomList = {})
        : form(std::make_unique<Form1>(fakes.platform())) {
        form->Combo2->clear();
        form->Combo2->addItems(randomList);
        startNavigations = int(fakes.browser.navigated.size());
    }
    // The window adopts the fake browser's widget, which the fake also owns.
    ~Rig() { fakes.browser.widget()->setParent(nullptr); }
    void start(const QString& interval) {
        form->Combo1->setEditText(interval);
        form->Command1_Click();
        QVERIFY(form->Timer1->enabled());
    }
    // Draws that land on these indexes of an n-entry list.
    void drawIndexes(int n, std::initializer_list<int> indexes) {
        for (int i : indexes)
            fakes.draws.push_back((i + 0.5) / n);
    }
    QStringList navigated() const { return fakes.browser.navigated.mid(startNavigations); }
    QStringList history() const {
        QStringList items;
        for (int i = 1; i < form->cboAddress->count(); ++i) // 0: start-up entry
            items.append(form->cboAddress->itemText(i));
        return items;
    }
    bool stopped() const {
        return !form->Timer1->enabled() && form->Command1->text() == QLatin1String("Start");
    }
    bool nothingScanned() const {
        return form->lstReferences->count() == 0 && fakes.media.commands.isEmpty() &&
               !fakes.internet.calls.join('\n').contains(QLatin1String("open url"));
    }
};

const QStringList kThree{QStringLiteral("http://a.invalid/"), QStringLiteral("http://b.invalid/"),
                         QStringLiteral("http://c.invalid/")};

} // namespace

class TstTimerTick : public QObject {
    Q_OBJECT
private slots:
    void fiveMinuteCountdown();
    void shortIntervalsActOnEveryTick_data();
    void shortIntervalsActOnEveryTick();
    void threeHourPeriod();
    void randomPickNeverRepeatsPrevious();
    void firstPickOfRunIsNeverIndexZero();
    void lastPickSurvivesRestart();
    void oneEntryListStopsWithMessage();
    void oneEntryListShownOnceAfterOtherPick();
    void timerStoppedWhileTooSmallMessageIsOpen();
    void emptyListAfterEarlierPickStopsSilently();
    void emptyEntryIsRememberedButNotShown();
    void failingBrowserStopsMonitorSilently();
    void randomModeDrawsWhateverUrlBoxHolds();
    void busyPeriodEndLeavesEverythingAlone();
};

void TstTimerTick::fiveMinuteCountdown() {
    Rig rig(kThree);
    rig.start(QStringLiteral("5 min"));
    QStringList captions;
    for (int tick = 1; tick <= 7; ++tick) {
        rig.form->Timer1_Timer();
        captions.append(rig.form->Label3->text());
        if (tick <= 6)
            QCOMPARE(rig.navigated().size(), tick == 6 ? 1 : 0);
    }
    QCOMPARE(captions, (QStringList{"min4", "min3", "min2", "min1", "min0", "min0", "min4"}));
    QCOMPARE(rig.form->monitor().lCountdown, 4);
    QCOMPARE(rig.form->monitor().lPeriodTicks, 5);
}

void TstTimerTick::shortIntervalsActOnEveryTick_data() {
    QTest::addColumn<QString>("interval");
    QTest::newRow("10 sec") << "10 sec";
    QTest::newRow("30 sec") << "30 sec";
    QTest::newRow("1 min") << "1 min";
}

void TstTimerTick::shortIntervalsActOnEveryTick() {
    QFETCH(QString, interval);
    Rig rig(kThree);
    rig.start(interval);
    for (int tick = 1; tick <= 4; ++tick) {
        rig.form->Timer1_Timer();
        QCOMPARE(rig.navigated().size(), tick);
    }
    QCOMPARE(rig.form->Label3->text(), QStringLiteral("0"));
}

void TstTimerTick::threeHourPeriod() {
    Rig rig(kThree);
    rig.start(QStringLiteral("3 hour"));
    for (int tick = 1; tick <= 180; ++tick)
        rig.form->Timer1_Timer();
    QCOMPARE(rig.form->Label3->text(), QStringLiteral("min0"));
    QVERIFY(rig.navigated().isEmpty());
    rig.form->Timer1_Timer();
    QCOMPARE(rig.navigated().size(), 1);
    QCOMPARE(rig.form->monitor().lCountdown, 180);
}

void TstTimerTick::randomPickNeverRepeatsPrevious() {
    Rig rig(kThree);
    rig.start(QStringLiteral("10 sec"));
    // 1, then 1 again (redrawn) and 2, then 0.
    rig.drawIndexes(3, {1, 1, 2, 0});
    for (int i = 0; i < 3; ++i)
        rig.form->Timer1_Timer();
    const QStringList expected{kThree[1], kThree[2], kThree[0]};
    QCOMPARE(rig.navigated(), expected);
    QCOMPARE(rig.history(), expected);
    QCOMPARE(rig.form->monitor().vLastPick, std::optional<int>(0));
    QCOMPARE(rig.form->Combo2->currentIndex(), 0);
    QCOMPARE(rig.form->Combo2->currentText(), kThree[0]);
    QCOMPARE(rig.form->monitor().sCurrentUrl, kThree[0]);
    QVERIFY(rig.fakes.draws.empty());
    QVERIFY(rig.nothingScanned());
    QVERIFY(rig.fakes.messages.shown.isEmpty());
}

void TstTimerTick::firstPickOfRunIsNeverIndexZero() {
    Rig rig(kThree);
    rig.start(QStringLiteral("10 sec"));
    // The retry must move on through the generator, not see index 0 forever.
    rig.drawIndexes(3, {0, 0, 0, 2});
    rig.form->Timer1_Timer();
    QCOMPARE(rig.navigated(), QStringList{kThree[2]});
    QVERIFY(rig.fakes.draws.empty());

    // Two entries: index 0 is refused until the generator moves on to 1.
    Rig two({kThree[0], kThree[1]});
    two.start(QStringLiteral("10 sec"));
    two.drawIndexes(2, {0, 0, 1});
    two.form->Timer1_Timer();
    QCOMPARE(two.navigated(), QStringList{kThree[1]});
    QCOMPARE(two.form->monitor().vLastPick, std::optional<int>(1));
}

void TstTimerTick::lastPickSurvivesRestart() {
    Rig rig(kThree);
    rig.start(QStringLiteral("10 sec"));
    rig.drawIndexes(3, {2});
    rig.form->Timer1_Timer();
    rig.form->Command1_Click(); // Stop
    rig.start(QStringLiteral("10 sec"));
    rig.drawIndexes(3, {2, 0});
    rig.form->Timer1_Timer();
    QCOMPARE(rig.navigated(), (QStringList{kThree[2], kThree[0]}));
}

void TstTimerTick::oneEntryListStopsWithMessage() {
    Rig rig({QStringLiteral("http://only.invalid/")});
    rig.start(QStringLiteral("5 min"));
    for (int i = 0; i < 6; ++i)
        rig.form->Timer1_Timer();
    QCOMPARE(rig.fakes.messages.shown, (QList<QPair<QString, QString>>{
                                           {QStringLiteral("Random list to small stopping timer.."),
                                            QStringLiteral("hey...")}}));
    QVERIFY(rig.stopped());
    QVERIFY(rig.navigated().isEmpty());
    QVERIFY(rig.history().isEmpty());
    QCOMPARE(rig.form->monitor().lPeriodTicks, 5);
    QCOMPARE(rig.form->monitor().lCountdown, 5);
    QCOMPARE(rig.form->Label3->text(), QStringLiteral("min0"));
}

void TstTimerTick::oneEntryListShownOnceAfterOtherPick() {
    Rig rig({QStringLiteral("http://only.invalid/")});
    rig.form->monitor().vLastPick = 2;
    rig.start(QStringLiteral("10 sec"));
    rig.form->Timer1_Timer();
    QCOMPARE(rig.navigated(), QStringList{QStringLiteral("http://only.invalid/")});
    QVERIFY(rig.fakes.messages.shown.isEmpty());
    QVERIFY(!rig.stopped());
    rig.form->Timer1_Timer();
    QCOMPARE(rig.fakes.messages.shown.size(), 1);
    QVERIFY(rig.stopped());
    QCOMPARE(rig.navigated().size(), 1);
}

void TstTimerTick::timerStoppedWhileTooSmallMessageIsOpen() {
    // The box is modal and ticks go on behind it: a running timer would pile
    // one box on another until the user came back.
    Rig rig({QStringLiteral("http://only.invalid/")});
    rig.start(QStringLiteral("10 sec"));
    bool enabledWhileOpen = true;
    rig.fakes.messages.whileOpen = [&] { enabledWhileOpen = rig.form->Timer1->enabled(); };
    rig.form->Timer1_Timer();
    QCOMPARE(rig.fakes.messages.shown.size(), 1);
    QVERIFY(!enabledWhileOpen);
    QVERIFY(rig.stopped());
}

void TstTimerTick::emptyListAfterEarlierPickStopsSilently() {
    Rig rig(kThree);
    rig.start(QStringLiteral("10 sec"));
    rig.drawIndexes(3, {1});
    rig.form->Timer1_Timer();
    rig.form->Combo2->clear();
    rig.form->Timer1_Timer();
    QVERIFY(rig.stopped());
    QVERIFY(rig.fakes.messages.shown.isEmpty());
    QCOMPARE(rig.navigated().size(), 1);
    QCOMPARE(rig.form->monitor().lPeriodTicks, 0); // "10 sec" reloads 0; kept as it was
    QCOMPARE(rig.form->monitor().vLastPick, std::optional<int>(1));
}

void TstTimerTick::emptyEntryIsRememberedButNotShown() {
    Rig rig({QStringLiteral("http://a.invalid/"), QString(), QStringLiteral("http://c.invalid/")});
    rig.start(QStringLiteral("10 sec"));
    rig.drawIndexes(3, {1});
    rig.form->Timer1_Timer();
    QCOMPARE(rig.form->monitor().vLastPick, std::optional<int>(1));
    QCOMPARE(rig.form->Combo2->currentIndex(), 1);
    QVERIFY(rig.form->monitor().sCurrentUrl.isEmpty());
    QVERIFY(rig.navigated().isEmpty());
    QVERIFY(rig.history().isEmpty());
    QVERIFY(!rig.stopped());
}

void TstTimerTick::failingBrowserStopsMonitorSilently() {
    Rig rig(kThree);
    rig.start(QStringLiteral("5 min"));
    for (int i = 0; i < 5; ++i)
        rig.form->Timer1_Timer();
    rig.fakes.browser.failNext = true;
    rig.form->Timer1_Timer();
    QVERIFY(rig.stopped());
    QVERIFY(!rig.form->Timer1->isTicking());
    QVERIFY(rig.fakes.messages.shown.isEmpty());
    QCOMPARE(rig.form->monitor().lPeriodTicks, 5);
    QCOMPARE(rig.form->monitor().lCountdown, 5);
    QCOMPARE(rig.form->Label3->text(), QStringLiteral("min0"));
}

void TstTimerTick::randomModeDrawsWhateverUrlBoxHolds() {
    Rig rig(kThree);
    rig.form->Text1->setText(QStringLiteral("http://single.invalid/"));
    rig.form->Option2->click();
    rig.start(QStringLiteral("10 sec"));
    QVERIFY(rig.form->Option2->isChecked());
    rig.drawIndexes(3, {2, 1});
    rig.form->Timer1_Timer();
    rig.form->Timer1_Timer();
    QCOMPARE(rig.navigated(), (QStringList{kThree[2], kThree[1]}));
    QCOMPARE(rig.history(), (QStringList{kThree[2], kThree[1]}));
    QVERIFY(rig.nothingScanned());
    // Back in single mode the next period end watches the URL box again
    // (its download fails here: nothing serves that address).
    rig.form->Option1->click();
    rig.form->Timer1_Timer();
    QCOMPARE(rig.navigated().last(), QStringLiteral("http://single.invalid/"));
    QCOMPARE(rig.form->lstReferences->count(), 1);
}

void TstTimerTick::busyPeriodEndLeavesEverythingAlone() {
    Rig rig(kThree);
    rig.form->Text1->setText(QStringLiteral("http://single.invalid/"));
    rig.start(QStringLiteral("10 sec"));
    rig.form->monitor().bBusy = true;
    rig.form->Timer1_Timer();
    QVERIFY(rig.navigated().isEmpty());
    QVERIFY(rig.history().isEmpty());
    QVERIFY(rig.nothingScanned());
    QVERIFY(rig.form->monitor().bBusy);
    QVERIFY(!rig.stopped());
    QVERIFY(rig.fakes.messages.shown.isEmpty());
}

QTEST_MAIN(TstTimerTick)
#include "tst_timer_tick.moc"
