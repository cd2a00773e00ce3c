#include "fake_platform.h"
#include "mainwindow/start_page.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <utility>

// Where start-up finds its page: beside the program, else where the package
// puts it.
class TestStartPage : public QObject {
    Q_OBJECT
private slots:
    void besideTheProgramElseInShare_data() {
        QTest::addColumn<bool>("besideExists");
        QTest::addColumn<bool>("sharedExists");
        QTest::addColumn<QString>("expected");
        const QString beside = QStringLiteral("bin/start.htm");
        const QString shared = QStringLiteral("share/vigilo/start.htm");
        QTest::newRow("both") << true << true << beside;
        QTest::newRow("beside only") << true << false << beside;
        QTest::newRow("installed in share") << false << true << shared;
        QTest::newRow("neither") << false << false << beside;
    }
    void besideTheProgramElseInShare() {
        QFETCH(bool, besideExists);
        QFETCH(bool, sharedExists);
        QFETCH(QString, expected);
        FakePlatform fp;
        const QDir prefix(fp.dir.filePath(QStringLiteral("prefix with blank")));
        QVERIFY(prefix.mkpath(QStringLiteral("bin")) &&
                prefix.mkpath(QStringLiteral("share/vigilo")));
        for (const auto& [exists, page] : {std::pair{besideExists, "bin/start.htm"},
                                           std::pair{sharedExists, "share/vigilo/start.htm"}}) {
            QFile f(prefix.filePath(QString::fromLatin1(page)));
            QVERIFY(!exists || f.open(QIODevice::WriteOnly));
        }
        fp.program.folder_ = prefix.filePath(QStringLiteral("bin"));
        QCOMPARE(startPagePath(fp.program), prefix.filePath(expected));
    }
};

QTEST_MAIN(TestStartPage)
#include "tst_start_page.moc"
