#include "fake_platform.h"
#include "mainwindow/form1.h"
#include "widgets/interval_timer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {

bool singleUrlControlsEnabled(const Form1& f) {
    return f.Text1->isEnabled() && f.Command3->isEnabled() && f.Check1->isEnabled();
}

bool singleUrlControlsDisabled(const Form1& f) {
    return !f.Text1->isEnabled() && !f.Command3->isEnabled() && !f.Check1->isEnabled();
}

} // namespace

// The window as the monitor sees it: the controls that show the monitor's
// state, and the mode switches.
class TstForm1MonitorView : public QObject {
    Q_OBJECT
private slots:
    void init() {
        fakesHeld = std::make_unique<FakePlatform>();
        form = std::make_unique<Form1>(fakes().platform());
    }
    void cleanup() {
        // The window adopted the fake browser's widget, which the fake owns.
        fakes().browser.widget()->setParent(nullptr);
        form.reset();
        fakesHeld.reset();
    }

    // The caption is drawn from the running flag, whatever stops the monitor.
    void captionFollowsTheRunningFlag() {
        QCOMPARE(form->Command1->text(), QStringLiteral("Start"));
        form->Combo1->setEditText(QStringLiteral("10 sec"));
        form->Command1_Click();
        QCOMPARE(form->Command1->text(), QStringLiteral("Stop"));
        QCOMPARE(form->Timer1, &form->monitor().timer());
        QVERIFY(form->Timer1->isTicking());
        // A random period end with too short a list stops the monitor itself.
        form->Timer1_Timer();
        QCOMPARE(form->Command1->text(), QStringLiteral("Start"));
        QVERIFY(!form->Timer1->enabled());
        // A caption set by anyone else is no state: the button still starts.
        form->Command1->setText(QStringLiteral("Stop"));
        form->Command1_Click();
        QVERIFY(form->monitor().running());
        QCOMPARE(form->Command1->text(), QStringLiteral("Stop"));
    }

    // Each scan empties the hidden work lists and notes its address there.
    void workListsStartAfreshAtEachScan() {
        form->lstReferences->addItems({"stale 1", "stale 2"});
        form->txtRawHTML->setPlainText("stale");
        form->List3->addItem("stale");
        form->List4->addItem("stale");
        form->Text1->setText(QStringLiteral("http://watched/"));
        form->Timer1_Timer();
        QCOMPARE(form->lstReferences->count(), 1);
        QCOMPARE(form->lstReferences->item(0)->text(), QStringLiteral("http://watched/"));
        QVERIFY(form->txtRawHTML->toPlainText().isEmpty());
        QCOMPARE(form->List3->count(), 0);
        QCOMPARE(form->List4->count(), 0);
    }

    // A random pick selects the entry in the live list and shows its text,
    // however long it is.
    void randomPickShowsTheEntry() {
        const QString longUrl = QStringLiteral("http://long/?q=") + QString(40000, 'q');
        form->Combo2->addItems({QStringLiteral("http://a/"), longUrl});
        form->Combo2->setEditText(QStringLiteral("typed"));
        fakes().draws.push_back(0.9);
        form->Timer1_Timer();
        QCOMPARE(form->Combo2->currentIndex(), 1);
        QCOMPARE(fakes().browser.navigated.last(), longUrl);
    }

    // A notification's offer brings the window back to the front, as it was.
    void notificationShowsTheWindow() {
        form->showMaximized();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        form->showMinimized();
        QTRY_VERIFY(form->isMinimized());
        fakes().notifications.pickShowWindow();
        QTRY_VERIFY(!form->isMinimized());
        QVERIFY(form->isMaximized());
        QVERIFY(form->isVisible());
    }

    void countdownShowsInLabel3() {
        form->Combo1->setEditText(QStringLiteral("5 min"));
        form->Command1_Click();
        form->Timer1_Timer();
        QCOMPARE(form->Label3->text(), QStringLiteral("min4"));
    }

    void modeSwitchesToggleSingleUrlControls() {
        QVERIFY(singleUrlControlsEnabled(*form));
        form->Option2->click();
        QVERIFY(singleUrlControlsDisabled(*form));
        form->Option1->click();
        QVERIFY(singleUrlControlsEnabled(*form));
        // A click on the selected button selects nothing new: its switch runs
        // only when the button becomes selected.
        form->Text1->setEnabled(false);
        form->Option1->click();
        QVERIFY(!form->Text1->isEnabled());
        form->Option2->click();
        form->Option1->click();
        QVERIFY(singleUrlControlsEnabled(*form));
    }

    // Start falls back from random mode with a short list, switch and all;
    // switching modes neither starts, stops nor resets the monitor.
    void modesAndTheMonitor() {
        form->Option2->click();
        form->Combo1->setEditText(QStringLiteral("5 min"));
        form->Command1_Click();
        QVERIFY(form->Option1->isChecked());
        QVERIFY(singleUrlControlsEnabled(*form));
        form->Timer1_Timer();
        form->Option2->click();
        form->Option1->click();
        QVERIFY(form->monitor().running());
        QCOMPARE(form->monitor().lPeriodTicks, 5);
        QCOMPARE(form->monitor().lCountdown, 4);
    }

private:
    FakePlatform& fakes() { return *fakesHeld; }

    std::unique_ptr<FakePlatform> fakesHeld;
    std::unique_ptr<Form1> form;
};

QTEST_MAIN(TstForm1MonitorView)
#include "tst_form1_monitor_view.moc"
