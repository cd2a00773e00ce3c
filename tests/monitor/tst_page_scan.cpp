#include "monitor_rig.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QtTest>

#include <stdexcept>

class TstPageScan : public QObject {
    Q_OBJECT
private slots:
    void firstScanCountsAnyPageAsChange();
    void scanFillsFreshCollections();
    void workControlsEmptiedEachScan();
    void sameLengthIsNotReported();
    void surroundingSpacesDoNotCount();
    void wholeLengthOfLongPageCounts();
    void headOfPageWithLongBlankRuns_data();
    void headOfPageWithLongBlankRuns();
    void longPageOffByOneIsReported();
    void emptyPageAfterContentIsChange();
    void untickedSoundStillMovesReference();
    void soundOffSilencesTheAlert();
    void failedDownloadKeepsReference();
    void brokenOffDownloadIsNoChange_data();
    void brokenOffDownloadIsNoChange();
    void restartOnOtherUrlComparesWithOldPage();
    void newUrlTakesEffectWithoutRestart();
    void failureInsideScanEndsItSilently();
};

void TstPageScan::firstScanCountsAnyPageAsChange() {
    MonitorRig rig;
    rig.server.setBody("/page", "hello");
    rig.form->Check1->setChecked(true);
    rig.watch("/page");
    rig.form->Timer1_Timer();
    const QString url = rig.server.url("/page");
    QCOMPARE(rig.form->monitor().sLastPageText, QStringLiteral("hello"));
    QCOMPARE(rig.form->monitor().vPageText, QStringLiteral("hello"));
    QCOMPARE(rig.plays(), 1);
    QCOMPARE(rig.fakes.media.commands.size(), 1);
    QCOMPARE(rig.fakes.browser.navigated.last(), url);
    QCOMPARE(rig.form->cboAddress->currentText(), url);
    QCOMPARE(rig.form->cboAddress->itemText(rig.form->cboAddress->count() - 1), url);
    QVERIFY(rig.fakes.messages.shown.isEmpty());
    QVERIFY(!rig.form->monitor().bBusy);
}

void TstPageScan::scanFillsFreshCollections() {
    MonitorRig rig;
    rig.server.setBody("/page", "<a href=\"http://x.invalid/a?q=1\">a</a>"
                                "<A HREF=\"/b#top\">b</A><a href=\"HTTP://X.INVALID/A\">"
                                "<img src=\"pic.png\"><script SRC=\"s.js\"></script>");
    rig.watch("/page");
    rig.form->Timer1_Timer();
    QCOMPARE(rig.form->monitor().colLinks.items(),
             (QStringList{QStringLiteral("http://x.invalid/a"), QStringLiteral("/b")}));
    QCOMPARE(rig.form->monitor().colSources.items(),
             (QStringList{QStringLiteral("pic.png"), QStringLiteral("s.js")}));

    // The next scan starts from empty collections rather than adding to them.
    rig.server.setBody("/page", "<a href=\"/c\"></a>");
    rig.form->Timer1_Timer();
    QCOMPARE(rig.form->monitor().colLinks.items(), QStringList{QStringLiteral("/c")});
    QCOMPARE(rig.form->monitor().colSources.count(), 0);
}

void TstPageScan::workControlsEmptiedEachScan() {
    MonitorRig rig;
    rig.server.setBody("/page", "x");
    rig.form->lstReferences->addItems({"stale 1", "stale 2"});
    rig.form->txtRawHTML->setPlainText("stale");
    rig.form->List3->addItem("stale");
    rig.form->List4->addItem("stale");
    rig.watch("/page");
    rig.form->Timer1_Timer();
    QCOMPARE(rig.form->lstReferences->count(), 1);
    QCOMPARE(rig.form->lstReferences->item(0)->text(), rig.server.url("/page"));
    QCOMPARE(rig.form->lstReferences->currentRow(), 0);
    QVERIFY(rig.form->txtRawHTML->toPlainText().isEmpty());
    QCOMPARE(rig.form->List3->count(), 0);
    QCOMPARE(rig.form->List4->count(), 0);
    QCOMPARE(rig.server.requestCount("/page"), 1);
}

void TstPageScan::sameLengthIsNotReported() {
    MonitorRig rig;
    rig.form->Check1->setChecked(true);
    rig.server.setBody("/page", "abcde");
    rig.watch("/page");
    rig.form->Timer1_Timer();
    rig.server.setBody("/page", "vwxyz");
    rig.form->Timer1_Timer();
    QCOMPARE(rig.server.requestCount("/page"), 2);
    QCOMPARE(rig.form->monitor().vPageText, QStringLiteral("vwxyz"));
    QCOMPARE(rig.form->monitor().sLastPageText, QStringLiteral("abcde"));
    QCOMPARE(rig.plays(), 1);
    // The taskbar is told of the first page only, and nothing else is asked.
    QCOMPARE(rig.fakes.alerts.alerted, QList<QWidget*>{rig.form.get()});
}

void TstPageScan::surroundingSpacesDoNotCount() {
    MonitorRig rig;
    rig.form->Check1->setChecked(true);
    rig.server.setBody("/page", "abc");
    rig.watch("/page");
    rig.form->Timer1_Timer();
    rig.server.setBody("/page", "   abc  ");
    rig.form->Timer1_Timer();
    QCOMPARE(rig.plays(), 1);
    // Line ends are part of the page text, spaces around it are not.
    rig.server.setBody("/page", "  abc\r\n");
    rig.form->Timer1_Timer();
    QCOMPARE(rig.plays(), 2);
    QCOMPARE(rig.form->monitor().sLastPageText, QStringLiteral("abc\r\n"));
}

void TstPageScan::wholeLengthOfLongPageCounts() {
    MonitorRig rig;
    rig.form->Check1->setChecked(true);
    rig.server.setBody("/page", QByteArray(100000, 'a'));
    rig.watch("/page");
    rig.form->Timer1_Timer();
    QCOMPARE(rig.plays(), 1);
    // Only the head is kept, beside the whole length.
    QCOMPARE(rig.form->monitor().sLastPageText, QString(60000, QLatin1Char('a')));
    QCOMPARE(rig.form->monitor().lLastPageLength, 100000);
    // The same length with other content, inside the head and past it.
    rig.server.setBody("/page", QByteArray(60000, 'b') + QByteArray(40000, 'c'));
    rig.form->Timer1_Timer();
    QCOMPARE(rig.plays(), 1);
    QCOMPARE(rig.form->monitor().vPageText, QString(60000, QLatin1Char('b')));
    QCOMPARE(rig.form->monitor().sLastPageText, QString(60000, QLatin1Char('a')));
    // One character more, far past the head.
    rig.server.setBody("/page", QByteArray(100001, 'd'));
    rig.form->Timer1_Timer();
    QCOMPARE(rig.plays(), 2);
    QCOMPARE(rig.form->monitor().sLastPageText, QString(60000, QLatin1Char('d')));
    QCOMPARE(rig.form->monitor().lLastPageLength, 100001);
    // Across the head's own length, both ways.
    rig.server.setBody("/page", QByteArray(59999, 'e'));
    rig.form->Timer1_Timer();
    rig.server.setBody("/page", QByteArray(60001, 'f'));
    rig.form->Timer1_Timer();
    QCOMPARE(rig.plays(), 4);
    QCOMPARE(rig.form->monitor().lLastPageLength, 60001);
}

// The head is cut from the page without converting all of it; the blanks at
// either end must still go first, however many there are.
void TstPageScan::headOfPageWithLongBlankRuns_data() {
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QString>("head");
    const QByteArray blanks(70000, ' ');
    QTest::newRow("leading blanks past the head") << blanks + "abc " << QStringLiteral("abc");
    QTest::newRow("trailing blanks past the head") << "  abc" + blanks << QStringLiteral("abc");
    QTest::newRow("blanks inside the head stay")
        << " " + QByteArray(59990, 'a') + QByteArray(20, ' ') + "b" + blanks
        << QString(59990, QLatin1Char('a')) + QString(10, QLatin1Char(' '));
    QTest::newRow("only blanks") << blanks << QString();
}

void TstPageScan::headOfPageWithLongBlankRuns() {
    QFETCH(QByteArray, page);
    QFETCH(QString, head);
    MonitorRig rig;
    rig.server.setBody("/page", page);
    rig.watch("/page");
    rig.form->Timer1_Timer();
    QCOMPARE(rig.form->monitor().vPageText, head);
    QCOMPARE(rig.form->monitor().sLastPageText, head);
}

void TstPageScan::longPageOffByOneIsReported() {
    MonitorRig rig;
    rig.form->Check1->setChecked(true);
    rig.server.setBody("/page", QByteArray(45000, 'x'));
    rig.watch("/page");
    rig.form->Timer1_Timer();
    rig.server.setBody("/page", QByteArray(45001, 'x'));
    rig.form->Timer1_Timer();
    QCOMPARE(rig.plays(), 2);
    QCOMPARE(rig.form->monitor().sLastPageText.size(), 45001);
    rig.form->Timer1_Timer();
    QCOMPARE(rig.plays(), 2);
    QCOMPARE(rig.server.requestCount("/page"), 3);
}

void TstPageScan::emptyPageAfterContentIsChange() {
    MonitorRig rig;
    rig.form->Check1->setChecked(true);
    rig.server.setBody("/page", "content");
    rig.watch("/page");
    rig.form->Timer1_Timer();
    rig.server.setBody("/page", "");
    rig.form->Timer1_Timer();
    QCOMPARE(rig.plays(), 2);
    QVERIFY(rig.form->monitor().sLastPageText.isEmpty());
    QVERIFY(rig.fakes.messages.shown.isEmpty());
}

void TstPageScan::untickedSoundStillMovesReference() {
    MonitorRig rig;
    rig.server.setBody("/page", "one");
    rig.watch("/page");
    rig.form->Timer1_Timer();
    QCOMPARE(rig.form->monitor().sLastPageText, QStringLiteral("one"));
    rig.server.setBody("/page", "three");
    rig.form->Timer1_Timer();
    QCOMPARE(rig.form->monitor().sLastPageText, QStringLiteral("three"));
    QVERIFY(rig.fakes.media.commands.isEmpty());
    // Silent or not, every real update asks for the user's attention.
    QCOMPARE(rig.fakes.alerts.alerted.size(), 2);
    // Ticking it later only affects the changes that follow.
    rig.form->Check1->setChecked(true);
    rig.form->Timer1_Timer();
    QVERIFY(rig.fakes.media.commands.isEmpty());
    QCOMPARE(rig.fakes.alerts.alerted.size(), 2);
}

void TstPageScan::soundOffSilencesTheAlert() {
    MonitorRig rig;
    rig.form->Check1->setChecked(true);
    rig.watch("/page");
    // With the file chosen the button switches: Sound Off, Sound On, ...
    const QList<std::pair<QString, int>> steps{{QStringLiteral("Sound Off"), 0},
                                               {QStringLiteral("Sound On"), 1},
                                               {QStringLiteral("Sound Off"), 1}};
    int length = 0;
    for (const auto& [caption, plays] : steps) {
        rig.form->Command2_Click();
        QCOMPARE(rig.form->Command2->text(), caption);
        rig.server.setBody("/page", QByteArray(++length, 'x'));
        rig.form->Timer1_Timer();
        QCOMPARE(rig.plays(), plays);
    }
    // Silent or not, each real update asked for the user's attention.
    QCOMPARE(rig.fakes.alerts.alerted.size(), 3);
    // Sound On leaves the sound box in charge.
    rig.form->Command2_Click();
    rig.form->Check1->setChecked(false);
    rig.server.setBody("/page", QByteArray(++length, 'x'));
    rig.form->Timer1_Timer();
    QCOMPARE(rig.plays(), 1);
    QCOMPARE(rig.fakes.alerts.alerted.size(), 4);
}

void TstPageScan::failedDownloadKeepsReference() {
    MonitorRig rig;
    rig.form->Check1->setChecked(true);
    rig.server.setBody("/page", "abcdef");
    rig.watch("/page");
    rig.form->Timer1_Timer();

    // Nothing listens on the port a closed server had.
    quint16 deadPort = 0;
    {
        HttpTestServer gone;
        deadPort = gone.port();
    }
    const QString deadUrl = QStringLiteral("http://127.0.0.1:%1/page").arg(deadPort);
    rig.form->Text1->setText(deadUrl);
    rig.form->Timer1_Timer();
    QCOMPARE(rig.fakes.messages.shown.size(), 1);
    QCOMPARE(rig.fakes.messages.shown[0].first,
             QStringLiteral("Error: The attempt to connect to the server failed."));
    QCOMPARE(rig.fakes.messages.shown[0].second, QStringLiteral("Vigilo"));
    QCOMPARE(rig.form->monitor().sLastPageText, QStringLiteral("abcdef"));
    QCOMPARE(rig.plays(), 1);
    QCOMPARE(rig.fakes.alerts.alerted.size(), 1);
    // The monitor goes on and still shows the failed address.
    QVERIFY(rig.form->Timer1->enabled());
    QCOMPARE(rig.fakes.browser.navigated.last(), deadUrl);

    rig.form->Text1->setText(rig.server.url("/page"));
    rig.server.setBody("/page", "ABCDEF");
    rig.form->Timer1_Timer();
    QCOMPARE(rig.plays(), 1);
    QCOMPARE(rig.fakes.messages.shown.size(), 1);
}

void TstPageScan::brokenOffDownloadIsNoChange_data() {
    QTest::addColumn<bool>("reset");
    QTest::newRow("connection reset") << true;
    QTest::newRow("connection closed") << false;
}

void TstPageScan::brokenOffDownloadIsNoChange() {
    QFETCH(bool, reset);
    MonitorRig rig;
    rig.form->Check1->setChecked(true);
    const QByteArray page(30000, 'p');
    rig.server.setBody("/page", page);
    rig.watch("/page");
    rig.form->Timer1_Timer();
    QCOMPARE(rig.plays(), 1);

    if (reset)
        rig.server.setResetMidBody("/page", page, 10000);
    else
        rig.server.setCloseMidBody("/page", page, 10000);
    rig.form->Timer1_Timer();
    QCOMPARE(rig.plays(), 1);
    QCOMPARE(rig.form->monitor().sLastPageText.size(), 30000);
    QCOMPARE(rig.fakes.messages.shown.size(), 1);
    const QString error = rig.form->monitor().objNetGet->GetLastError();
    QVERIFY(!error.isEmpty());
    QCOMPARE(rig.fakes.messages.shown[0].first, QStringLiteral("Error: ") + error);

    // The whole page again: nothing changed, nothing to report.
    rig.server.setBody("/page", page);
    rig.form->Timer1_Timer();
    QCOMPARE(rig.plays(), 1);
    QCOMPARE(rig.fakes.messages.shown.size(), 1);
}

void TstPageScan::restartOnOtherUrlComparesWithOldPage() {
    MonitorRig rig;
    rig.form->Check1->setChecked(true);
    rig.server.setBody("/a", "twelve chars");
    rig.server.setBody("/b", "same length!");
    rig.server.setBody("/c", "longer than the others");
    rig.watch("/a");
    rig.form->Timer1_Timer();
    rig.form->Command1_Click(); // Stop
    rig.watch("/b", QStringLiteral("30 sec"));
    rig.form->Timer1_Timer();
    QCOMPARE(rig.plays(), 1);
    QCOMPARE(rig.form->monitor().sLastPageText, QStringLiteral("twelve chars"));
    rig.form->Command1_Click();
    rig.watch("/c");
    rig.form->Timer1_Timer();
    QCOMPARE(rig.plays(), 2);
}

void TstPageScan::newUrlTakesEffectWithoutRestart() {
    MonitorRig rig;
    rig.server.setBody("/a", "a");
    rig.server.setBody("/b", "bb");
    rig.watch("/a", QStringLiteral("5 min"));
    for (int i = 0; i < 6; ++i)
        rig.form->Timer1_Timer();
    rig.form->Text1->setText(rig.server.url("/b"));
    for (int i = 0; i < 5; ++i)
        rig.form->Timer1_Timer();
    QCOMPARE(rig.server.requestCount("/b"), 0);
    rig.form->Timer1_Timer();
    QCOMPARE(rig.server.requestCount("/a"), 1);
    QCOMPARE(rig.server.requestCount("/b"), 1);
    QCOMPARE(rig.fakes.browser.navigated.mid(1),
             (QStringList{rig.server.url("/a"), rig.server.url("/b")}));
    QStringList history;
    for (int i = 1; i < rig.form->cboAddress->count(); ++i)
        history.append(rig.form->cboAddress->itemText(i));
    QCOMPARE(history, (QStringList{rig.server.url("/a"), rig.server.url("/b")}));
}

void TstPageScan::failureInsideScanEndsItSilently() {
    MonitorRig rig;
    rig.form->Check1->setChecked(true);
    rig.watch("/missing-server");
    rig.form->Text1->setText(QStringLiteral("http://127.0.0.1:1/"));
    rig.fakes.messages.whileOpen = [] { throw std::runtime_error("box failed"); };
    rig.form->Timer1_Timer();
    // The scan ends quietly, the tick goes on and the monitor keeps running.
    QCOMPARE(rig.fakes.messages.shown.size(), 1);
    QVERIFY(rig.form->Timer1->enabled());
    QVERIFY(!rig.form->monitor().bBusy);
    QCOMPARE(rig.fakes.browser.navigated.last(), QStringLiteral("http://127.0.0.1:1/"));
}

QTEST_MAIN(TstPageScan)
#include "tst_page_scan.moc"
