#include "monitor_rig.h"

#include <QLabel>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

// Runs `action` once the server has seen `count` requests for `path`, from
// inside whatever wait the window is in at that moment.
void whenRequested(HttpTestServer& server, const QString& path, int count,
                   std::function<void()> action) {
    QTimer::singleShot(5, [&server, path, count, action] {
        if (server.requestCount(path) >= count)
            action();
        else
            whenRequested(server, path, count, action);
    });
}

const QString kTimedOut = QStringLiteral("Error: The request has timed out.");

} // namespace

class TstMonitorEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void realWindowAlertsOnRealUpdatesOnly();
    void periodEndDuringScanMakesNoSecondScan();
    void stopStartAndRandomPickDuringScan();
    void closingWindowDuringScanEndsProcess();
};

void TstMonitorEndToEnd::realWindowAlertsOnRealUpdatesOnly() {
    MonitorRig rig({1500, 20000});
    Form1& form = *rig.form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    rig.server.setBody("/page", "<html>first</html>");

    QTest::keyClicks(form.Text1, rig.server.url("/page"));
    form.Combo1->setCurrentIndex(0);
    QCOMPARE(form.Combo1->currentText(), QStringLiteral("10 sec"));
    QTest::mouseClick(form.Check1, Qt::LeftButton);
    QVERIFY(form.Check1->isChecked());
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    QCOMPARE(form.Command1->text(), QStringLiteral("Stop"));
    QVERIFY(form.Timer1->isTicking());
    QCOMPARE(form.Timer1->interval(), 10000);

    // The first period end finds the page new.
    emit form.Timer1->timeout();
    QCOMPARE(rig.fakes.media.commands, QList<QByteArray>{"play /sounds/alert.wav"});
    QCOMPARE(rig.fakes.browser.navigated.last(), rig.server.url("/page"));

    // Same length, other text: not a real update.
    rig.server.setBody("/page", "<html>FIRST</html>");
    emit form.Timer1->timeout();
    QCOMPARE(rig.fakes.media.commands.size(), 1);

    // A real update with the sound box cleared: recorded, silent.
    QTest::mouseClick(form.Check1, Qt::LeftButton);
    QVERIFY(!form.Check1->isChecked());
    rig.server.setBody("/page", "<html>second version</html>");
    emit form.Timer1->timeout();
    QCOMPARE(rig.fakes.media.commands.size(), 1);
    QCOMPARE(form.monitor().sLastPageText, QStringLiteral("<html>second version</html>"));

    // A download that fails: the message, and the reference stays.
    QTest::mouseClick(form.Check1, Qt::LeftButton);
    rig.server.setStall("/page");
    emit form.Timer1->timeout();
    QCOMPARE(rig.fakes.messages.shown,
             (QList<QPair<QString, QString>>{{kTimedOut, QStringLiteral("Vigilo")}}));
    QCOMPARE(form.monitor().sLastPageText, QStringLiteral("<html>second version</html>"));
    QCOMPARE(rig.fakes.media.commands.size(), 1);
    QCOMPARE(form.Command1->text(), QStringLiteral("Stop"));

    rig.server.setBody("/page", "<html>third</html>");
    emit form.Timer1->timeout();
    QCOMPARE(rig.fakes.media.commands.size(), 2);
    QCOMPARE(rig.server.requestCount("/page"), 5);

    QTest::mouseClick(form.Command1, Qt::LeftButton);
    QCOMPARE(form.Command1->text(), QStringLiteral("Start"));
    QVERIFY(!form.Timer1->isTicking());
}

void TstMonitorEndToEnd::periodEndDuringScanMakesNoSecondScan() {
    MonitorRig rig({1500, 20000});
    Form1& form = *rig.form;
    rig.server.setStall("/slow");
    rig.watch("/slow");
    const qsizetype navigationsBefore = rig.fakes.browser.navigated.size();
    const int historyBefore = form.cboAddress->count();

    bool nestedRan = false;
    whenRequested(rig.server, "/slow", 1, [&] {
        QVERIFY(form.monitor().bBusy);
        form.Timer1_Timer();
        nestedRan = true;
        QVERIFY(form.monitor().bBusy);
        QCOMPARE(rig.fakes.browser.navigated.size(), navigationsBefore);
        QCOMPARE(form.cboAddress->count(), historyBefore);
    });
    // Ticks also come while the error box is open.
    int ticksDuringBox = 0;
    rig.fakes.messages.whileOpen = [&] {
        form.Timer1_Timer();
        ++ticksDuringBox;
    };
    form.Timer1_Timer();

    QVERIFY(nestedRan);
    QCOMPARE(ticksDuringBox, 1);
    QCOMPARE(rig.server.requestCount("/slow"), 1);
    QCOMPARE(rig.fakes.messages.shown.size(), 1);
    QCOMPARE(rig.fakes.messages.shown[0].first, kTimedOut);
    QCOMPARE(rig.fakes.browser.navigated.mid(navigationsBefore),
             QStringList{rig.server.url("/slow")});
    QCOMPARE(form.cboAddress->count(), historyBefore + 1);
    QVERIFY(!form.monitor().bBusy);

    // Once the scan is over the next period end scans again.
    rig.fakes.messages.whileOpen = nullptr;
    rig.server.setBody("/slow", "served at last");
    form.Timer1_Timer();
    QCOMPARE(rig.server.requestCount("/slow"), 2);
    QCOMPARE(form.monitor().sLastPageText, QStringLiteral("served at last"));
    QCOMPARE(rig.fakes.messages.shown.size(), 1);
}

void TstMonitorEndToEnd::stopStartAndRandomPickDuringScan() {
    MonitorRig rig({1500, 20000});
    Form1& form = *rig.form;
    const QStringList list{QStringLiteral("http://a.invalid/"), QStringLiteral("http://b.invalid/"),
                           QStringLiteral("http://c.invalid/")};
    form.Combo2->addItems(list);
    rig.server.setStall("/slow");
    rig.watch("/slow");
    const qsizetype navigationsBefore = rig.fakes.browser.navigated.size();

    whenRequested(rig.server, "/slow", 1, [&] {
        form.Command1_Click(); // Stop
        QVERIFY(!form.Timer1->enabled());
        form.Combo1->setEditText(QStringLiteral("30 sec"));
        form.Command1_Click(); // Start
        QVERIFY(form.Timer1->enabled());
        form.Option2->click();
        rig.fakes.draws.push_back(0.9); // index 2
        form.Timer1_Timer();
    });
    form.Timer1_Timer();

    // The random pick showed while the scan waited; the scanned page came last.
    QCOMPARE(rig.fakes.browser.navigated.mid(navigationsBefore),
             (QStringList{list[2], rig.server.url("/slow")}));
    QCOMPARE(form.monitor().sCurrentUrl, rig.server.url("/slow"));
    QCOMPARE(form.monitor().vLastPick, std::optional<int>(2));
    QCOMPARE(form.Command1->text(), QStringLiteral("Stop"));
    QCOMPARE(form.Timer1->interval(), 30000);
    QVERIFY(!form.monitor().bBusy);
    QCOMPARE(rig.server.requestCount("/slow"), 1);
}

void TstMonitorEndToEnd::closingWindowDuringScanEndsProcess() {
    MonitorRig rig({1500, 20000});
    Form1& form = *rig.form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    rig.server.setStall("/slow");
    rig.watch("/slow");
    bool busyAtClose = false;
    whenRequested(rig.server, "/slow", 1, [&] {
        busyAtClose = form.monitor().bBusy;
        form.close();
    });
    form.Timer1_Timer();
    QVERIFY(busyAtClose);
    QCOMPARE(rig.fakes.program.ended, 1);
}

QTEST_MAIN(TstMonitorEndToEnd)
#include "tst_monitor_end_to_end.moc"
