#include "fake_platform.h"
#include "mainwindow/form1.h"
#include "sound/alert_sound.h"
#include "sound/form3.h"
#include "widgets/interval_timer.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QToolBar>
#include <QtTest>

#include <memory>

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QString startPageOf(const FakePlatform& fakes) {
    return fakes.program.folder() + QDir::separator() + QStringLiteral("start.htm");
}

QStringList itemsOf(const QComboBox* c) {
    QStringList items;
    for (int i = 0; i < c->count(); ++i)
        items.append(c->itemText(i));
    return items;
}

} // namespace

class TstForm1Startup : public QObject {
    Q_OBJECT
private slots:
    // Start-up with and without the start page: the browser is sent there
    // either way, nothing checks the file and nothing is said.
    void startUp_data() {
        QTest::addColumn<bool>("withStartPage");
        QTest::newRow("start.htm present") << true;
        QTest::newRow("start.htm missing") << false;
    }
    void startUp() {
        QFETCH(bool, withStartPage);
        FakePlatform fakes;
        if (withStartPage)
            writeFile(startPageOf(fakes), "<html><body>hello</body></html>");
        writeFile(fakes.program.folder() + QStringLiteral("/vigilo.cfg"),
                  "http://a.example/\r\nhttp://b.example/\r\n");

        Form1 form(fakes.platform());
        QCOMPARE(fakes.browser.calls,
                 QStringList{QStringLiteral("Navigate ") + startPageOf(fakes)});
        QCOMPARE(itemsOf(form.cboAddress), QStringList{QString()});
        QCOMPARE(form.cboAddress->currentText(), QString());
        QCOMPARE(itemsOf(form.Combo2), (QStringList{QStringLiteral("http://a.example/"),
                                                    QStringLiteral("http://b.example/")}));
        QCOMPARE(form.Combo2->currentText(), QString());
        QVERIFY(form.monitor().objNetGet);
        QVERIFY(!form.monitor().bBusy());
        QVERIFY(fakes.messages.shown.isEmpty());
        QVERIFY(fakes.reader.requests.isEmpty());

        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(fakes.messages.shown.isEmpty());
        QCOMPARE(fakes.program.ended, 0);
    }

    // Without a list file the window opens with an empty random list.
    void startUpWithoutListFile() {
        FakePlatform fakes;
        Form1 form(fakes.platform());
        QCOMPARE(form.Combo2->count(), 0);
        QCOMPARE(fakes.browser.navigated.size(), 1);
        QVERIFY(fakes.messages.shown.isEmpty());
    }

    // A failing step ends start-up silently; the window still opens.
    void failingNavigateEndsStartUpSilently() {
        FakePlatform fakes;
        fakes.browser.failNext = true;
        std::unique_ptr<Form1> form;
        try {
            form = std::make_unique<Form1>(fakes.platform());
        } catch (...) {
            QFAIL("start-up let a failure escape");
        }
        QCOMPARE(fakes.browser.calls.size(), 1);
        QCOMPARE(itemsOf(form->cboAddress), QStringList{QString()}); // step 5 had run
        QVERIFY(fakes.messages.shown.isEmpty());
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QVERIFY(form->isVisible());
    }

    void closingEndsTheProgram() {
        FakePlatform fakes;
        Form1 form(fakes.platform());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.close());
        QCOMPARE(fakes.program.ended, 1);
    }

    // Closing while the monitor runs and a page is being read ends the
    // program at once.
    void closingInTheMiddleOfAPageRead() {
        FakePlatform fakes;
        Form1 form(fakes.platform());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.Text1->setText(QStringLiteral("http://watched.example/"));
        form.Combo1->setEditText(QStringLiteral("10 sec"));
        form.Command1_Click();
        QVERIFY(form.Timer1->enabled());
        form.Timer1_Timer();
        QVERIFY(fakes.reader.reading());
        QVERIFY(form.close());
        QCOMPARE(fakes.program.ended, 1);
    }

    // Each wired control reaches its handler: checked through what the
    // handler visibly does.
    void wiring() {
        FakePlatform fakes;
        Form1 form(fakes.platform());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        form.Combo1->setEditText(QStringLiteral("10 sec"));
        QTest::mouseClick(form.Command1, Qt::LeftButton);
        QCOMPARE(form.Command1->text(), QStringLiteral("Stop"));
        QVERIFY(form.Timer1->enabled());

        form.monitor().lCountdown = 3;
        emit form.Timer1->timeout();
        QCOMPARE(form.monitor().lCountdown, 2);
        QTest::mouseClick(form.Command1, Qt::LeftButton);
        QCOMPARE(form.Command1->text(), QStringLiteral("Start"));

        QTest::mouseClick(form.Option2, Qt::LeftButton);
        QVERIFY(!form.Text1->isEnabled());
        QTest::mouseClick(form.Option1, Qt::LeftButton);
        QVERIFY(form.Text1->isEnabled());

        form.Text1->setText(QStringLiteral("http://typed.example/"));
        QTest::mouseClick(form.Command3, Qt::LeftButton);
        QCOMPARE(fakes.browser.navigated.last(), QStringLiteral("http://typed.example/"));

        QTest::mouseClick(form.Command2, Qt::LeftButton);
        QVERIFY(form.alertSound().form3());
        form.alertSound().form3()->hide();

        QTest::mouseClick(form.Command4, Qt::LeftButton);
        QVERIFY(form.Frame1->isVisible());
        form.Text2->setText(QStringLiteral("one"));
        QTest::mouseClick(form.Command7, Qt::LeftButton);
        QAbstractItemModel* list = form.List1->model();
        QCOMPARE(list->rowCount(), 1);
        form.Text2->setText(QStringLiteral("two"));
        QTest::keyClick(form.Text2, Qt::Key_Return);
        QCOMPARE(list->rowCount(), 2);
        form.List1->setCurrentIndex(list->index(0, 0));
        QTest::mouseClick(form.Command8, Qt::LeftButton);
        QCOMPARE(list->rowCount(), 1);
        QCOMPARE(list->index(0, 0).data().toString(), QStringLiteral("two"));
        QTest::mouseClick(form.Command5, Qt::LeftButton);
        QCOMPARE(itemsOf(form.Combo2), QStringList{QStringLiteral("two")});
        QCOMPARE(fakes.messages.shown.size(), 1);
        QTest::mouseClick(form.Command4, Qt::LeftButton);
        QTest::mouseClick(form.Command9, Qt::LeftButton);
        QCOMPARE(list->rowCount(), 0);
        QTest::mouseClick(form.Command6, Qt::LeftButton);
        QVERIFY(!form.Frame1->isVisible());

        // The hidden address box and toolbar are wired all the same.
        form.cboAddress->setEditText(QStringLiteral("http://address.example/"));
        emit form.cboAddress->activated(0);
        QCOMPARE(fakes.browser.navigated.last(), QStringLiteral("http://address.example/"));
        form.cboAddress->setEditText(QStringLiteral("http://entered.example/"));
        QTest::keyClick(form.cboAddress->lineEdit(), Qt::Key_Return);
        QCOMPARE(fakes.browser.navigated.last(), QStringLiteral("http://entered.example/"));
        form.tbToolBar->actions().at(0)->trigger();
        QCOMPARE(fakes.browser.calls.last(), QStringLiteral("GoBack"));
    }
};

QTEST_MAIN(TstForm1Startup)
#include "tst_form1_startup.moc"
