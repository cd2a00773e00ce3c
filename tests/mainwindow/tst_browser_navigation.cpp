#include "fake_platform.h"
#include "mainwindow/credits.h"
#include "mainwindow/form1.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolBar>

namespace {

QStringList historyOf(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    return items;
}

QAction* toolbarButton(Form1& f, const QString& key) {
    for (QAction* a : f.tbToolBar->actions())
        if (a->data().toString() == key)
            return a;
    return nullptr;
}

} // namespace

class TestBrowserNavigation : public QObject {
    Q_OBJECT
private slots:
    void browseBeforeStartRecordsAnEmptyEntry() {
        FakePlatform fp;
        Form1 f(fp.platform());
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        fp.browser.navigated.clear();
        f.Text1->setText(QStringLiteral("http://example.org/a.htm"));
        QTest::mouseClick(f.Command3, Qt::LeftButton);
        QCOMPARE(fp.browser.navigated, QStringList{"http://example.org/a.htm"});
        // Start-up's entry, then the monitor's URL, which is still empty.
        QCOMPARE(historyOf(f.cboAddress), (QStringList{"", ""}));
        QCOMPARE(f.cboAddress->currentText(), QString());

        QTest::mouseClick(f.Command3, Qt::LeftButton);
        QCOMPARE(fp.browser.navigated.size(), 2);
        QCOMPARE(historyOf(f.cboAddress), (QStringList{"", "", ""}));
        QVERIFY(fp.messages.shown.isEmpty());
    }

    void historyRecordsTheMonitorsUrlNotText1() {
        FakePlatform fp;
        Form1 f(fp.platform());
        fp.browser.navigated.clear();
        f.monitor().sCurrentUrl = QStringLiteral("http://watched/");
        f.Text1->setText(QStringLiteral("http://typed/"));
        f.Command3_Click();
        f.Command3_Click();
        QCOMPARE(fp.browser.navigated, (QStringList{"http://typed/", "http://typed/"}));
        QCOMPARE(historyOf(f.cboAddress), (QStringList{"", "http://watched/", "http://watched/"}));
        QCOMPARE(f.cboAddress->currentText(), QStringLiteral("http://watched/"));
    }

    // Nothing reads the history back and a run may last weeks: the oldest
    // entries make room, and the box keeps the text last written to it.
    void historyKeepsTheMostRecentEntries() {
        FakePlatform fp;
        fp.reader.pages.insert("http://watched/", {QByteArray("page"), 0, {}});
        Form1 f(fp.platform());
        f.Text1->setText(QStringLiteral("http://watched/"));
        for (int i = 0; i < Form1::kAddressHistoryLimit; ++i) { // after start-up's entry
            f.monitor().sCurrentUrl = QString::number(i);
            f.Command3_Click();
        }
        f.Timer1_Timer(); // a period end in single mode
        QTRY_COMPARE(f.cboAddress->currentText(), QStringLiteral("http://watched/"));
        QCOMPARE(f.cboAddress->count(), Form1::kAddressHistoryLimit);
        QCOMPARE(f.cboAddress->itemText(0), QStringLiteral("1"));
        QCOMPARE(f.cboAddress->itemText(f.cboAddress->count() - 1),
                 QStringLiteral("http://watched/"));
        QCOMPARE(f.cboAddress->currentText(), QStringLiteral("http://watched/"));
    }

    void emptyText1DoesNothing() {
        FakePlatform fp;
        Form1 f(fp.platform());
        fp.browser.calls.clear();
        f.monitor().sCurrentUrl = QStringLiteral("http://watched/");
        f.Command3_Click();
        QVERIFY(fp.browser.calls.isEmpty());
        QCOMPARE(historyOf(f.cboAddress), QStringList{""});
        QVERIFY(fp.messages.shown.isEmpty());
    }

    void anyTextIsPassedUnchanged() {
        FakePlatform fp;
        Form1 f(fp.platform());
        fp.browser.navigated.clear();
        const QString odd = QStringLiteral("  not a url\t\u00E9 ");
        f.Text1->setText(odd);
        f.Command3_Click();
        QCOMPARE(fp.browser.navigated, QStringList{odd});
    }

    void failingBrowseIsReportedAndTheWindowGoesOn() {
        FakePlatform fp;
        Form1 f(fp.platform());
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.Text1->setText(QStringLiteral("http://x/"));
        fp.browser.failNext = true;
        QTest::mouseClick(f.Command3, Qt::LeftButton); // must not escape the slot
        QCOMPARE(fp.messages.shown.size(), 1);
        QVERIFY(fp.messages.shown.first().first.contains(QStringLiteral("browser call failed")));
        // The history entry came before the failing request.
        QCOMPARE(f.cboAddress->count(), 2);
        QTest::mouseClick(f.Command3, Qt::LeftButton);
        QCOMPARE(fp.browser.navigated.last(), QStringLiteral("http://x/"));
        QCOMPARE(fp.messages.shown.size(), 1);
    }

    void addressBoxNavigatesToItsText() {
        FakePlatform fp;
        Form1 f(fp.platform());
        fp.browser.navigated.clear();
        f.cboAddress->setEditText(QStringLiteral("http://box/"));
        f.cboAddress_Click();
        QCOMPARE(fp.browser.navigated, QStringList{"http://box/"});
        QCOMPARE(historyOf(f.cboAddress), QStringList{""}); // no history of its own

        fp.browser.failNext = true;
        f.cboAddress_Click();
        QCOMPARE(fp.messages.shown.size(), 1);
    }

    void addressBoxEnterNavigatesAndIgnoresErrors() {
        FakePlatform fp;
        Form1 f(fp.platform());
        fp.browser.navigated.clear();
        f.cboAddress->setEditText(QStringLiteral("http://entered/"));
        std::int16_t key = 65;
        f.cboAddress_KeyPress(key);
        QVERIFY(fp.browser.navigated.isEmpty());
        key = 13;
        f.cboAddress_KeyPress(key);
        QCOMPARE(key, std::int16_t(13));
        QCOMPARE(fp.browser.navigated, QStringList{"http://entered/"});

        fp.browser.failNext = true;
        f.cboAddress_KeyPress(key);
        QVERIFY(fp.messages.shown.isEmpty());
        QCOMPARE(fp.browser.calls.size(), 3); // start page, entered, the failed one
    }

    // A typed address that is already in the history must not be opened twice.
    void addressBoxEnterKeyNavigatesOnce() {
        FakePlatform fp;
        Form1 f(fp.platform());
        f.cboAddress->addItem(QStringLiteral("http://again/"));
        f.cboAddress->setEditText(QStringLiteral("http://again/"));
        fp.browser.navigated.clear();
        QTest::keyClick(f.cboAddress->lineEdit(), Qt::Key_Return);
        QCOMPARE(fp.browser.navigated, QStringList{"http://again/"});
        QTest::keyClick(f.cboAddress->lineEdit(), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(fp.browser.navigated.size(), 2);
        // Other keys still reach the box.
        QTest::keyClick(f.cboAddress->lineEdit(), Qt::Key_X);
        QCOMPARE(f.cboAddress->currentText(), QStringLiteral("http://again/x"));
        QCOMPARE(fp.browser.navigated.size(), 2);
    }

    void toolbarKeysSelectTheirCommands_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("call");
        QTest::newRow("Back") << "Back"
                              << "GoBack";
        QTest::newRow("Forward") << "Forward"
                                 << "GoForward";
        QTest::newRow("Refresh") << "Refresh"
                                 << "Refresh";
        QTest::newRow("Home") << "Home"
                              << "GoHome";
        QTest::newRow("Search") << "Search"
                                << "GoSearch";
        QTest::newRow("Stop") << "Stop"
                              << "Stop";
    }
    void toolbarKeysSelectTheirCommands() {
        QFETCH(QString, key);
        QFETCH(QString, call);
        FakePlatform fp;
        Form1 f(fp.platform());
        fp.browser.calls.clear();
        const QString caption = f.windowTitle();
        QAction* button = toolbarButton(f, key);
        QVERIFY(button);
        button->trigger(); // through the toolbar's own signal
        QCOMPARE(fp.browser.calls, QStringList{call});
        QCOMPARE(f.windowTitle(),
                 key == QLatin1String("Stop") ? QStringLiteral("Vigilo 1.0") : caption);
        // A failing command is ignored; Stop still sets the caption.
        f.setWindowTitle(caption);
        fp.browser.failNext = true;
        f.tbToolBar_ButtonClick(button);
        QCOMPARE(fp.browser.calls, (QStringList{call, call}));
        QVERIFY(fp.messages.shown.isEmpty());
        QCOMPARE(f.windowTitle(),
                 key == QLatin1String("Stop") ? QStringLiteral("Vigilo 1.0") : caption);
    }

    void toolbarMatchesTheKeyExactly() {
        FakePlatform fp;
        Form1 f(fp.platform());
        fp.browser.calls.clear();
        const QString caption = f.windowTitle();
        QCOMPARE(caption, QString::fromLatin1(kCreditLine));
        for (const char* key : {"back", "STOP", "Stop ", "", "Print"}) {
            QAction a(QString::fromLatin1(key));
            a.setData(QString::fromLatin1(key));
            f.tbToolBar_ButtonClick(&a);
        }
        f.tbToolBar_ButtonClick(nullptr); // a button that cannot be read
        QVERIFY(fp.browser.calls.isEmpty());
        QCOMPARE(f.windowTitle(), caption);

        // The key decides, not the caption shown on the button.
        QAction home(QStringLiteral("Back"));
        home.setData(QStringLiteral("Home"));
        f.tbToolBar_ButtonClick(&home);
        QCOMPARE(fp.browser.calls, QStringList{"GoHome"});
    }
};

QTEST_MAIN(TestBrowserNavigation)
#include "tst_browser_navigation.moc"
