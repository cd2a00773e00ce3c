#include "fake_platform.h"
#include "mainwindow/form1.h"
#include "randomlist/random_list_file.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

namespace {

void writeList(const QString& folder, const QByteArray& bytes) {
    QFile f(randomListPath(folder));
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QStringList itemsOf(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    return items;
}

} // namespace

// Start-up fills the live random list from the file beside the program,
// silently, whatever state the file is in.
class TestLoadRandomList : public QObject {
    Q_OBJECT
private slots:
    void startUpFillsCombo2WithoutChoosing() {
        FakePlatform fp;
        writeList(fp.dir.path(), "http://a/\r\n\r\n  b  \r\nc\xE9");
        Form1 f(fp.platform());
        QCOMPARE(itemsOf(f.Combo2),
                 (QStringList{"http://a/", "", "  b  ", QStringLiteral("c\u00E9")}));
        QCOMPARE(f.randomListEditor().entries(), itemsOf(f.Combo2));
        QCOMPARE(f.Combo2->currentIndex(), -1);
        QCOMPARE(f.Combo2->currentText(), QString());
        QVERIFY(fp.messages.shown.isEmpty());
        // Start-up went on to the start page.
        QCOMPARE(fp.browser.navigated.size(), 1);
    }

    void startUpWithoutFileOrWithUnreadableFile_data() {
        QTest::addColumn<bool>("folderInItsPlace");
        QTest::newRow("no file") << false;
        QTest::newRow("a folder named like the file") << true;
    }
    void startUpWithoutFileOrWithUnreadableFile() {
        QFETCH(bool, folderInItsPlace);
        FakePlatform fp;
        // Only a file that is there and cannot be read is worth a line in the log.
        const QRegularExpression logged(QStringLiteral("list file cannot be read"));
        if (folderInItsPlace) {
            QVERIFY(QDir(fp.dir.path()).mkdir(QStringLiteral("vigilo.cfg")));
            QTest::ignoreMessage(QtWarningMsg, logged);
        } else {
            QTest::failOnWarning(logged);
        }
        Form1 f(fp.platform());
        QCOMPARE(f.Combo2->count(), 0);
        QCOMPARE(f.Combo2->currentText(), QString());
        QVERIFY(fp.messages.shown.isEmpty());
        QCOMPARE(fp.browser.navigated.size(), 1);
    }

    void loadAppendsAndKeepsTheCurrentChoice() {
        FakePlatform fp;
        writeList(fp.dir.path(), "a\r\nb\r\n");
        Form1 f(fp.platform());
        f.Combo2->setCurrentIndex(1);
        f.randomListEditor().LoadRandomList();
        QCOMPARE(itemsOf(f.Combo2), (QStringList{"a", "b", "a", "b"}));
        QCOMPARE(f.Combo2->currentIndex(), 1);
        QCOMPARE(f.Combo2->currentText(), QStringLiteral("b"));
    }

    void combo2ShowsTheOneLiveList() {
        // What the combo box holds is what the monitor reads, whichever side
        // changes it.
        FakePlatform fp;
        writeList(fp.dir.path(), "a\r\n");
        Form1 f(fp.platform());
        f.Combo2->addItem(QStringLiteral("b"));
        QCOMPARE(f.randomListEditor().entries(), (QStringList{"a", "b"}));
        f.Combo2->clear();
        QVERIFY(f.randomListEditor().entries().isEmpty());
        f.randomListEditor().LoadRandomList();
        QCOMPARE(itemsOf(f.Combo2), QStringList{"a"});
    }

    void combo2NeverHoldsMoreThanTheLimit() {
        FakePlatform fp;
        QByteArray bytes;
        for (int i = 0; i < kMaxRandomListEntries + 1; ++i)
            bytes += "u" + QByteArray::number(i) + "\r\n";
        writeList(fp.dir.path(), bytes);
        Form1 f(fp.platform());
        QCOMPARE(f.Combo2->count(), kMaxRandomListEntries);
        QCOMPARE(f.Combo2->itemText(kMaxRandomListEntries - 1),
                 QStringLiteral("u%1").arg(kMaxRandomListEntries - 1));
        f.randomListEditor().LoadRandomList();
        QCOMPARE(f.Combo2->count(), kMaxRandomListEntries);
    }
};

QTEST_MAIN(TestLoadRandomList)
#include "tst_load_random_list.moc"
