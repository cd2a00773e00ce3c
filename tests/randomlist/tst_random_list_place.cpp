#include "fake_platform.h"
#include "mainwindow/form1.h"
#include "randomlist/random_list_editor.h"
#include "randomlist/random_list_file.h"
#include "randomlist/random_list_place.h"
#include "read_only_folder.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
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

// Where the list lives: beside a program whose folder is its own, in the
// user's configuration otherwise.
class TestRandomListPlace : public QObject {
    Q_OBJECT
private:
    QTemporaryDir tmp_;
    QByteArray savedHome_ = qgetenv("HOME");
    QByteArray savedConfig_ = qgetenv("XDG_CONFIG_HOME");

    // A configuration folder of the test's own, not made yet.
    QString freshConfigHome(const QString& name) {
        const QString config = tmp_.filePath(name);
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
        return config;
    }

private slots:
    void cleanup() {
        qputenv("HOME", savedHome_);
        qputenv("XDG_CONFIG_HOME", savedConfig_);
    }

    void besideTheProgramInAFolderOfItsOwn() {
        freshConfigHome(QStringLiteral("config"));
        const QString folder = tmp_.filePath(QStringLiteral("own folder \u00E9"));
        QVERIFY(QDir().mkpath(folder));
        const RandomListPlace place(folder);
        QVERIFY(place.besideProgram());
        QCOMPARE(place.path(), randomListPath(folder));
    }

    void inTheConfigurationWhenTheProgramsFolderCannotBeWritten() {
        const QString config = freshConfigHome(QStringLiteral("config"));
        const QString folder = tmp_.filePath(QStringLiteral("read-only"));
        QVERIFY(QDir().mkpath(folder));
        ReadOnlyFolder readOnly(folder);
        if (!readOnly.active())
            QSKIP(readOnly.why().constData());
        const RandomListPlace place(folder);
        QVERIFY(!place.besideProgram());
        QCOMPARE(place.path(), config + QStringLiteral("/vigilo/vigilo.cfg"));
    }

    void neverBesideAProgramUnderUsr() {
        freshConfigHome(QStringLiteral("config"));
        // Root may write there, yet it is where the package put the program.
        QVERIFY(!RandomListPlace(QStringLiteral("/usr/bin")).besideProgram());
    }

    void systemFolders_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("system");
        QTest::newRow("/usr") << QStringLiteral("/usr") << true;
        QTest::newRow("/usr/") << QStringLiteral("/usr/") << true;
        QTest::newRow("/usr/bin") << QStringLiteral("/usr/bin") << true;
        QTest::newRow("/usr/local/bin") << QStringLiteral("/usr/local/bin") << true;
        QTest::newRow("/usr/./lib//x") << QStringLiteral("/usr/./lib//x") << true;
        QTest::newRow("out of /usr by ..") << QStringLiteral("/usr/../home/u/vigilo") << false;
        QTest::newRow("a name that begins like it") << QStringLiteral("/usrlocal/bin") << false;
        QTest::newRow("per-user install") << QStringLiteral("/home/u/.local/opt/vigilo") << false;
        QTest::newRow("/opt") << QStringLiteral("/opt/vigilo") << false;
    }
    void systemFolders() {
        QFETCH(QString, folder);
        QFETCH(bool, system);
        QCOMPARE(isSystemFolder(folder), system);
    }

    void configurationFolderFollowsXdg_data() {
        QTest::addColumn<QByteArray>("xdg");
        QTest::addColumn<QString>("expected");
        QTest::newRow("absolute") << QByteArray("/srv/conf/") << QStringLiteral("/srv/conf");
        QTest::newRow("relative, so ignored")
            << QByteArray("conf") << QStringLiteral("/home/u/.config");
        QTest::newRow("empty") << QByteArray() << QStringLiteral("/home/u/.config");
    }
    void configurationFolderFollowsXdg() {
        QFETCH(QByteArray, xdg);
        QFETCH(QString, expected);
        qputenv("HOME", "/home/u");
        qputenv("XDG_CONFIG_HOME", xdg);
        QCOMPARE(userConfigFolder(), expected);
    }

    // A list left beside the program stays as it was, neither read nor moved;
    // the first save makes the folder in the configuration, and the next start
    // reads from there.
    void startUpAndSaveUseTheConfiguration() {
        const QString config = freshConfigHome(QStringLiteral("new config"));
        FakePlatform fp;
        fp.program.folder_ = fp.dir.filePath(QStringLiteral("program"));
        QVERIFY(QDir().mkpath(fp.program.folder_));
        const QString beside = randomListPath(fp.program.folder_);
        writeFile(beside, "old\r\n");
        ReadOnlyFolder readOnly(fp.program.folder_);
        if (!readOnly.active())
            QSKIP(readOnly.why().constData());

        {
            Form1 f(fp.platform());
            QCOMPARE(f.Combo2->count(), 0);
            RandomListEditor& editor = f.randomListEditor();
            editor.open();
            for (const char* url : {"http://a/", "http://b/"}) {
                f.Text2->setText(QString::fromLatin1(url));
                editor.add();
            }
            editor.save();
            QCOMPARE(fp.messages.shown.last().first, QStringLiteral("Saved...and updated in main"));
        }
        QCOMPARE(fileBytes(config + QStringLiteral("/vigilo/vigilo.cfg")),
                 QByteArray("http://a/\r\nhttp://b/\r\n"));
        QCOMPARE(fileBytes(beside), QByteArray("old\r\n"));

        Form1 again(fp.platform());
        QCOMPARE(itemsOf(again.Combo2), (QStringList{"http://a/", "http://b/"}));
    }
};

QTEST_MAIN(TestRandomListPlace)
#include "tst_random_list_place.moc"
