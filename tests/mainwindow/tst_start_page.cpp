#include "fake_platform.h"
#include "mainwindow/start_page.h"

#include <QDir>
#include <QFile>
#include <QTest>

// Where start-up finds its page: beside the program, else where the package
// puts it.
class TestStartPage : public QObject {
    Q_OBJECT
private slots:
    void besideTheProgramElseInShare() {
        FakePlatform fp;
        const QDir prefix(fp.dir.filePath(QStringLiteral("prefix with blank")));
        QVERIFY(prefix.mkpath(QStringLiteral("bin")) &&
                prefix.mkpath(QStringLiteral("share/vigilo")));
        fp.program.folder_ = prefix.filePath(QStringLiteral("bin"));
        const QString beside = prefix.filePath(QStringLiteral("bin/start.htm"));
        const QString shared = prefix.filePath(QStringLiteral("share/vigilo/start.htm"));
        QCOMPARE(startPagePath(fp.program), beside); // neither: the window opens anyway
        QVERIFY(QFile(shared).open(QIODevice::WriteOnly));
        QCOMPARE(startPagePath(fp.program), shared);
        QVERIFY(QFile(beside).open(QIODevice::WriteOnly));
        QCOMPARE(startPagePath(fp.program), beside);
    }
};

QTEST_MAIN(TestStartPage)
#include "tst_start_page.moc"
