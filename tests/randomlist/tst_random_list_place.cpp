#include "fake_platform.h"
#include "mainwindow/form1.h"
#include "randomlist/random_list_editor.h"
#include "randomlist/random_list_place.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTest>

#include <unistd.h>

namespace {

// A folder this user cannot write into while the object lives: permissions
// stop a user, the immutable flag root.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& path) : path_(path) {
        QFile::setPermissions(path_, QFile::ReadOwner | QFile::ExeOwner);
        if (::geteuid() == 0)
            immutable_ = QProcess::execute(QStringLiteral("chattr"), {"+i", path_}) == 0;
    }
    ~ReadOnlyFolder() {
        if (immutable_)
            QProcess::execute(QStringLiteral("chattr"), {"-i", path_});
        QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    bool active() const { return ::access(QFile::encodeName(path_).constData(), W_OK) != 0; }

private:
    QString path_;
    bool immutable_ = false;
};

constexpr char kNotReadOnly[] = "the folder stays writable: chattr +i failed for root";

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

} // namespace

// Where the list lives: beside a program whose folder is its own, in the
// user's configuration otherwise.
class TestRandomListPlace : public QObject {
    Q_OBJECT
private:
    QTemporaryDir tmp_;

    // A configuration folder of the test's own, not made yet.
    QString freshConfigHome(const QString& name) {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(tmp_.filePath(name)));
        return tmp_.filePath(name);
    }

private slots:
    void placeFollowsTheProgramsFolder() {
        const QString config = freshConfigHome(QStringLiteral("config"));
        const QString own = tmp_.filePath(QStringLiteral("own \u00E9")),
                      readOnly = tmp_.filePath(QStringLiteral("read-only"));
        QVERIFY(QDir().mkpath(own) && QDir().mkpath(readOnly));
        QCOMPARE(RandomListPlace(own).path(), own + QStringLiteral("/vigilo.cfg"));
        // Root may write there, yet it is where the package put the program.
        QCOMPARE(RandomListPlace(QStringLiteral("/usr/bin")).path(),
                 config + QStringLiteral("/vigilo/vigilo.cfg"));
        ReadOnlyFolder locked(readOnly);
        if (!locked.active())
            QSKIP(kNotReadOnly);
        QCOMPARE(RandomListPlace(readOnly).path(), config + QStringLiteral("/vigilo/vigilo.cfg"));
    }

    void systemFolders() {
        for (const char* folder : {"/usr", "/usr/local/bin", "/usr/./lib//x"})
            QVERIFY2(isSystemFolder(QString::fromLatin1(folder)), folder);
        for (const char* folder : {"/usrlocal/bin", "/usr/../home/u", "/opt/vigilo"})
            QVERIFY2(!isSystemFolder(QString::fromLatin1(folder)), folder);
    }

    void configurationFolderFollowsXdg() {
        qputenv("HOME", "/home/u");
        qputenv("XDG_CONFIG_HOME", "/srv/conf/");
        QCOMPARE(userConfigFolder(), QStringLiteral("/srv/conf"));
        qputenv("XDG_CONFIG_HOME", "conf"); // relative: not to be used
        QCOMPARE(userConfigFolder(), QStringLiteral("/home/u/.config"));
        qunsetenv("XDG_CONFIG_HOME");
        QCOMPARE(userConfigFolder(), QStringLiteral("/home/u/.config"));
    }

    // A list left beside the program is neither read nor moved; the first
    // save makes the folder in the configuration, and the next start reads
    // from there.
    void startUpAndSaveUseTheConfiguration() {
        const QString config = freshConfigHome(QStringLiteral("new config"));
        FakePlatform fp;
        fp.program.folder_ = fp.dir.filePath(QStringLiteral("program"));
        QVERIFY(QDir().mkpath(fp.program.folder_));
        const QString beside = fp.program.folder_ + QStringLiteral("/vigilo.cfg");
        QFile old(beside);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old\r\n") == 5);
        old.close();
        ReadOnlyFolder locked(fp.program.folder_);
        if (!locked.active())
            QSKIP(kNotReadOnly);
        {
            Form1 f(fp.platform());
            QCOMPARE(f.Combo2->count(), 0);
            f.randomListEditor().open();
            for (const char* url : {"http://a/", "http://b/"}) {
                f.Text2->setText(QString::fromLatin1(url));
                f.randomListEditor().add();
            }
            f.randomListEditor().save();
            QCOMPARE(fp.messages.shown.last().first, QStringLiteral("Saved...and updated in main"));
        }
        QCOMPARE(fileBytes(config + QStringLiteral("/vigilo/vigilo.cfg")),
                 QByteArray("http://a/\r\nhttp://b/\r\n"));
        QCOMPARE(fileBytes(beside), QByteArray("old\r\n"));
        Form1 again(fp.platform());
        QCOMPARE(again.Combo2->count(), 2);
        QCOMPARE(again.Combo2->itemText(1), QStringLiteral("http://b/"));
    }
};

QTEST_MAIN(TestRandomListPlace)
#include "tst_random_list_place.moc"
