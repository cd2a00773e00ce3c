#include "fake_platform.h"
#include "mainwindow/form1.h"
#include "widgets/interval_timer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <memory>

namespace {

using Box = QPair<QString, QString>;

struct Rig {
    FakePlatform fakes;
    std::unique_ptr<Form1> form;
    Rig() : form(std::make_unique<Form1>(fakes.platform())) {}
    // The window adopts the fake browser's widget, which the fake also owns.
    ~Rig() { fakes.browser.widget()->setParent(nullptr); }

    void start(const QString& interval) {
        form->Combo1->setEditText(interval);
        form->Command1_Click();
    }
    void chooseRandomMode() {
        form->Option2->setChecked(true);
        form->Option2_Click();
    }
    bool running() const {
        return form->Timer1->enabled() && form->Command1->text() == QLatin1String("Stop");
    }
};

bool singleUrlControlsEnabled(const Form1& f) {
    return f.Text1->isEnabled() && f.Command3->isEnabled() && f.Check1->isEnabled();
}

bool singleUrlControlsDisabled(const Form1& f) {
    return !f.Text1->isEnabled() && !f.Command3->isEnabled() && !f.Check1->isEnabled();
}

} // namespace

class TstMonitorControl : public QObject {
    Q_OBJECT
private slots:
    void intervalTable_data();
    void intervalTable();
    void rejectedIntervals_data();
    void rejectedIntervals();
    void emptyIntervalLeavesModeAlone();
    void unknownIntervalStillFallsBackToSingleMode();
    void startFallsBackToSingleModeWithShortList_data();
    void startFallsBackToSingleModeWithShortList();
    void startAcceptsEmptyUrl();
    void stopKeepsCountdownAndReferenceText();
    void restartReloadsFromNewRow();
    void modeSwitchesToggleSingleUrlControls();
    void modeSwitchesLeaveMonitorRunning();
};

void TstMonitorControl::intervalTable_data() {
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

void TstMonitorControl::intervalTable() {
    QFETCH(QString, caption);
    QFETCH(int, ms);
    QFETCH(int, reload);
    Rig rig;
    rig.form->Text1->setText(QStringLiteral("http://example.invalid/"));
    rig.start(caption);
    QVERIFY(rig.running());
    QVERIFY(rig.form->Timer1->isTicking());
    QCOMPARE(rig.form->Timer1->interval(), ms);
    QCOMPARE(rig.form->monitor().lPeriodTicks, reload);
    QCOMPARE(rig.form->monitor().lCountdown, reload);
    QCOMPARE(rig.form->monitor().sCurrentUrl, QStringLiteral("http://example.invalid/"));
    QVERIFY(rig.fakes.messages.shown.isEmpty());
}

void TstMonitorControl::rejectedIntervals_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<QString>("title");
    const QString none = QStringLiteral("Select an Timer Interval!");
    const QString invalid = QStringLiteral("No valid timer interval");
    QTest::newRow("empty") << "" << none << "No Interval";
    QTest::newRow("other case") << "10 Sec" << invalid << "No valid interval";
    QTest::newRow("upper case") << "1 HOUR" << invalid << "No valid interval";
    QTest::newRow("trailing blank") << "5 min " << invalid << "No valid interval";
    QTest::newRow("plain number") << "10" << invalid << "No valid interval";
}

void TstMonitorControl::rejectedIntervals() {
    QFETCH(QString, caption);
    QFETCH(QString, prompt);
    QFETCH(QString, title);
    Rig rig;
    rig.start(caption);
    QCOMPARE(rig.fakes.messages.shown, QList<Box>{Box(prompt, title)});
    QVERIFY(!rig.form->Timer1->enabled());
    QVERIFY(!rig.form->Timer1->isTicking());
    QCOMPARE(rig.form->Command1->text(), QStringLiteral("Start"));
    QCOMPARE(rig.form->monitor().lPeriodTicks, 0);
}

void TstMonitorControl::emptyIntervalLeavesModeAlone() {
    // The interval box starts empty: pressing Start at once is the usual way in.
    Rig rig;
    rig.chooseRandomMode();
    rig.form->Command1_Click();
    QCOMPARE(rig.fakes.messages.shown.size(), 1);
    QCOMPARE(rig.fakes.messages.shown.first().first, QStringLiteral("Select an Timer Interval!"));
    QVERIFY(rig.form->Option2->isChecked());
    QVERIFY(singleUrlControlsDisabled(*rig.form));
}

void TstMonitorControl::unknownIntervalStillFallsBackToSingleMode() {
    Rig rig;
    rig.chooseRandomMode();
    rig.start(QStringLiteral("7 min"));
    QCOMPARE(rig.fakes.messages.shown.size(), 1);
    QVERIFY(rig.form->Option1->isChecked());
    QVERIFY(singleUrlControlsEnabled(*rig.form));
    QVERIFY(!rig.running());
}

void TstMonitorControl::startFallsBackToSingleModeWithShortList_data() {
    QTest::addColumn<int>("entries");
    QTest::addColumn<bool>("randomKept");
    QTest::newRow("empty list") << 0 << false;
    QTest::newRow("one entry") << 1 << false;
    QTest::newRow("two entries") << 2 << true;
}

void TstMonitorControl::startFallsBackToSingleModeWithShortList() {
    QFETCH(int, entries);
    QFETCH(bool, randomKept);
    Rig rig;
    for (int i = 0; i < entries; ++i)
        rig.form->Combo2->addItem(QStringLiteral("http://a%1.invalid/").arg(i));
    rig.chooseRandomMode();
    rig.start(QStringLiteral("30 sec"));
    QVERIFY(rig.running());
    QCOMPARE(rig.form->Option2->isChecked(), randomKept);
    QCOMPARE(rig.form->Option1->isChecked(), !randomKept);
    QVERIFY(randomKept ? singleUrlControlsDisabled(*rig.form)
                       : singleUrlControlsEnabled(*rig.form));
}

void TstMonitorControl::startAcceptsEmptyUrl() {
    Rig rig;
    rig.form->monitor().sCurrentUrl = QStringLiteral("http://old.invalid/");
    rig.start(QStringLiteral("1 min"));
    QVERIFY(rig.running());
    QVERIFY(rig.fakes.messages.shown.isEmpty());
    QVERIFY(rig.form->monitor().sCurrentUrl.isEmpty());
    // Start itself fetches and navigates nothing.
    QCOMPARE(rig.fakes.browser.navigated.size(), 1); // the start page only
}

void TstMonitorControl::stopKeepsCountdownAndReferenceText() {
    Rig rig;
    rig.form->Text1->setText(QStringLiteral("http://a.invalid/"));
    rig.start(QStringLiteral("5 min"));
    rig.form->Timer1_Timer();
    rig.form->Timer1_Timer();
    rig.form->monitor().sLastPageText = QStringLiteral("kept");
    rig.form->monitor().vLastPick = 3;
    rig.form->Command1_Click();
    QVERIFY(!rig.form->Timer1->enabled());
    QVERIFY(!rig.form->Timer1->isTicking());
    QCOMPARE(rig.form->Command1->text(), QStringLiteral("Start"));
    QCOMPARE(rig.form->monitor().lPeriodTicks, 0);
    QCOMPARE(rig.form->monitor().lCountdown, 3);
    QCOMPARE(rig.form->Label3->text(), QStringLiteral("min3"));
    QCOMPARE(rig.form->monitor().sCurrentUrl, QStringLiteral("http://a.invalid/"));
    QCOMPARE(rig.form->monitor().sLastPageText, QStringLiteral("kept"));
    QCOMPARE(rig.form->monitor().vLastPick, std::optional<int>(3));
}

void TstMonitorControl::restartReloadsFromNewRow() {
    Rig rig;
    rig.start(QStringLiteral("5 min"));
    rig.form->Timer1_Timer();
    rig.form->Command1_Click(); // Stop
    rig.form->Text1->setText(QStringLiteral("http://b.invalid/"));
    rig.start(QStringLiteral("10 min"));
    QVERIFY(rig.running());
    QCOMPARE(rig.form->monitor().lPeriodTicks, 10);
    QCOMPARE(rig.form->monitor().lCountdown, 10);
    QCOMPARE(rig.form->monitor().sCurrentUrl, QStringLiteral("http://b.invalid/"));
    // Start leaves the countdown display alone.
    QCOMPARE(rig.form->Label3->text(), QStringLiteral("min4"));
}

void TstMonitorControl::modeSwitchesToggleSingleUrlControls() {
    Rig rig;
    QVERIFY(singleUrlControlsEnabled(*rig.form));
    rig.form->Option2->click();
    QVERIFY(singleUrlControlsDisabled(*rig.form));
    rig.form->Option1->click();
    QVERIFY(singleUrlControlsEnabled(*rig.form));
    // A click on the selected button selects nothing new: its switch runs
    // only when the button becomes selected.
    rig.form->Text1->setEnabled(false);
    rig.form->Option1->click();
    QVERIFY(!rig.form->Text1->isEnabled());
    rig.form->Option2->click();
    rig.form->Option1->click();
    QVERIFY(singleUrlControlsEnabled(*rig.form));
}

void TstMonitorControl::modeSwitchesLeaveMonitorRunning() {
    Rig rig;
    rig.form->Combo2->addItem(QStringLiteral("http://a.invalid/"));
    rig.form->Combo2->addItem(QStringLiteral("http://b.invalid/"));
    rig.start(QStringLiteral("5 min"));
    rig.form->Timer1_Timer();
    rig.form->Option2->click();
    rig.form->Option1->click();
    QVERIFY(rig.running());
    QCOMPARE(rig.form->monitor().lPeriodTicks, 5);
    QCOMPARE(rig.form->monitor().lCountdown, 4);
}

QTEST_MAIN(TstMonitorControl)
#include "tst_monitor_control.moc"
