#include "debugged_program.h"
#include "mainwindow/window_icon.h"

#include <QDirIterator>
#include <QGuiApplication>
#include <QImage>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kId = QStringLiteral("org.example.vigilo");

struct Run {
    int exitCode = -1;
    QByteArray output;
};

Run run(const QString& program, const QStringList& args, const QProcessEnvironment& env) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    Run r;
    if (p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit) // may build first
        r.exitCode = p.exitCode();
    r.output = p.readAll();
    return r;
}

Run script(const QString& name, const QStringList& args, const QProcessEnvironment& env) {
    return run(QStringLiteral("bash"),
               QStringList{qEnvironmentVariable("VIGILO_SOURCE_DIR") + "/scripts/" + name} + args,
               env);
}

QProcessEnvironment userEnvironment(const QString& home, const QString& dataHome = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.remove(QStringLiteral("XDG_DATA_HOME"));
    if (!dataHome.isEmpty())
        env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    return env;
}

// Every file and folder below root, relative to it.
QStringList treeOf(const QString& root) {
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << QDir(root).relativeFilePath(it.next());
    entries.sort();
    return entries;
}

// The given paths and every folder leading to them.
QStringList withFolders(const QStringList& paths) {
    QStringList entries;
    for (const QString& path : paths)
        for (qsizetype at = 0; (at = path.indexOf(QLatin1Char('/'), at + 1)) > 0;)
            entries << path.left(at);
    entries += paths;
    entries.removeDuplicates();
    entries.sort();
    return entries;
}

// What the install puts in the data folder, below the given folder.
QStringList dataFiles(const QString& under = {}) {
    const QString at = under.isEmpty() ? QString() : under + QLatin1Char('/');
    QStringList files{at + "applications/" + kId + ".desktop",
                      at + "metainfo/" + kId + ".metainfo.xml",
                      at + "icons/hicolor/scalable/apps/" + kId + ".svg"};
    for (int size : kWindowIconSizes)
        files << QStringLiteral("%1icons/hicolor/%2x%2/apps/%3.png").arg(at).arg(size).arg(kId);
    return files;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The desktop entry's Exec key split as a launcher splits it: the escapes of
// string values first, then double quotes with their own escapes, then %%.
QStringList execOf(const QString& desktopFile) {
    QString value;
    for (const QString& line : QString::fromUtf8(readFile(desktopFile)).split('\n'))
        if (line.startsWith(QLatin1String("Exec=")))
            value = line.mid(5);
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size())
            text += value[++i] == 's' ? QChar(' ') : value[i];
        else
            text += value[i];
    }
    QStringList args;
    QString arg;
    bool quoted = false, started = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted && c == '\\' && i + 1 < text.size()) {
            arg += text[++i];
        } else if (c == '"') {
            quoted = !quoted;
            started = true;
        } else if (c == ' ' && !quoted) {
            if (started)
                args << arg;
            arg.clear();
            started = false;
        } else {
            arg += c;
            started = true;
        }
    }
    if (started)
        args << arg;
    return args.replaceInStrings(QStringLiteral("%%"), QStringLiteral("%"));
}

void validateDesktopEntry(const QString& path) {
    const Run valid = run(QStringLiteral("desktop-file-validate"), {path},
                          QProcessEnvironment::systemEnvironment());
    QVERIFY2(valid.exitCode == 0 && valid.output.trimmed().isEmpty(), valid.output.constData());
}

} // namespace

// The per-user install and uninstall scripts against temporary homes.
class TstInstall : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        for (const char* tool : {"desktop-file-validate", "appstreamcli"})
            QVERIFY2(!QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty(),
                     "needs the packages desktop-file-utils and appstream");
    }

    // The default folders; a launch as the menu launches it; an uninstall that
    // leaves the user's own files.
    void installRunUninstall() {
        QTemporaryDir tmp;
        const QString home = tmp.filePath(QStringLiteral("home"));
        const QString data = home + "/.local/share", prefix = home + "/.local/opt/vigilo";
        writeFile(data + "/applications/other.desktop", "[Desktop Entry]\n");
        const QProcessEnvironment env = userEnvironment(home);

        const Run install = script(QStringLiteral("install.sh"), {}, env);
        QVERIFY2(install.exitCode == 0, install.output.constData());
        QCOMPARE(treeOf(home),
                 withFolders(dataFiles(QStringLiteral(".local/share")) +
                             QStringList{".local/share/applications/other.desktop",
                                         ".local/opt/vigilo/vigilo", ".local/opt/vigilo/start.htm",
                                         ".local/opt/vigilo/vigilo-install-manifest.txt"}));
        QVERIFY(QFileInfo(prefix + "/vigilo").isExecutable());
        const QString desktopFile = data + "/applications/" + kId + ".desktop";
        validateDesktopEntry(desktopFile);
        QCOMPARE(execOf(desktopFile), QStringList{prefix + "/vigilo"});
        const QByteArray entry = readFile(desktopFile);
        QVERIFY(entry.contains("\nIcon=" + kId.toLatin1() + "\n"));
        QVERIFY(entry.contains("\nCategories=Network;\n"));
        QVERIFY(entry.contains("\nStartupWMClass=Vigilo\n"));

        const QString metainfo = data + "/metainfo/" + kId + ".metainfo.xml";
        const Run checked =
            run(QStringLiteral("appstreamcli"),
                {QStringLiteral("validate"), QStringLiteral("--no-net"), metainfo}, env);
        QVERIFY2(checked.exitCode == 0, checked.output.constData());
        QVERIFY(readFile(metainfo).contains(">" + kId.toLatin1() + ".desktop</launchable>"));

        // Each size in the theme is the window's own icon at that size.
        for (int size : kWindowIconSizes) {
            const QImage installed(
                QStringLiteral("%1/icons/hicolor/%2x%2/apps/%3.png").arg(data).arg(size).arg(kId));
            QCOMPARE(installed.size(), QSize(size, size));
            const QImage shown = vigiloWindowIcon().pixmap(size).toImage();
            QCOMPARE(shown.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                     installed.convertToFormat(QImage::Format_ARGB32_Premultiplied));
        }

        // Started from elsewhere, it shows its own start page; as root it
        // switches the browser's sandbox off by itself.
        QProcessEnvironment runEnv = env;
        runEnv.remove(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"));
        DebuggedProgram vigilo(runEnv);
        const QStringList command = execOf(desktopFile);
        QVERIFY(vigilo.start(command.first(), command.mid(1), tmp.path()));
        QTRY_VERIFY2_WITH_TIMEOUT(vigilo.shows(QUrl::fromLocalFile(prefix + "/start.htm"),
                                               QStringLiteral("Vigilo - start")),
                                  (vigilo.output() + vigilo.lastAnswer()).constData(), 60000);
        QVERIFY(vigilo.stop(30000));

        writeFile(prefix + "/vigilo.cfg", "http://example.org/\r\n");
        const Run uninstall = script(QStringLiteral("uninstall.sh"), {}, env);
        QVERIFY2(uninstall.exitCode == 0, uninstall.output.constData());
        QCOMPARE(treeOf(home), withFolders({".local/share/applications/other.desktop",
                                            ".local/opt/vigilo/vigilo.cfg"}));
        QCOMPARE(readFile(prefix + "/vigilo.cfg"), QByteArray("http://example.org/\r\n"));
    }

    // Folders with characters the desktop entry must quote, installed twice:
    // one uninstall still leaves nothing.
    void reinstallIntoQuotedFoldersThenUninstall() {
        QTemporaryDir tmp;
        const QString home = tmp.filePath(QStringLiteral("home"));
        const QString data = tmp.filePath(QStringLiteral("my data"));
        const QString prefix = tmp.filePath(QStringLiteral("apps $HOME \"q\" `x` 100%/vigilo"));
        QVERIFY(QDir().mkpath(home));
        const QProcessEnvironment env = userEnvironment(home, data);
        // Square brackets would garble the manifest: refused before any copy.
        QVERIFY(script(QStringLiteral("install.sh"), {tmp.filePath("a[1]/vigilo")}, env).exitCode !=
                0);
        QCOMPARE(treeOf(tmp.path()), QStringList{QStringLiteral("home")});
        for (int round = 0; round < 2; ++round) {
            const Run install = script(QStringLiteral("install.sh"), {prefix}, env);
            QVERIFY2(install.exitCode == 0, install.output.constData());
        }
        QVERIFY(treeOf(home).isEmpty());
        QCOMPARE(treeOf(data), withFolders(dataFiles()));
        QVERIFY(QFileInfo(prefix + "/vigilo").isExecutable());
        const QString desktopFile = data + "/applications/" + kId + ".desktop";
        validateDesktopEntry(desktopFile);
        QCOMPARE(execOf(desktopFile), QStringList{prefix + "/vigilo"});

        const Run uninstall = script(QStringLiteral("uninstall.sh"), {prefix}, env);
        QVERIFY2(uninstall.exitCode == 0, uninstall.output.constData());
        QCOMPARE(treeOf(tmp.path()), QStringList{QStringLiteral("home")});
    }

    // Without a manifest nothing is removed; with one, never the user's list
    // nor a folder that still holds something.
    void uninstallTakesOnlyTheManifestsFiles() {
        QTemporaryDir tmp;
        const QString prefix = tmp.filePath(QStringLiteral("vigilo"));
        writeFile(prefix + "/vigilo", "program");
        writeFile(prefix + "/vigilo.cfg", "a\r\n");
        const QProcessEnvironment env = userEnvironment(tmp.path());
        QVERIFY(script(QStringLiteral("uninstall.sh"), {prefix}, env).exitCode != 0);
        QCOMPARE(treeOf(tmp.path()), withFolders({"vigilo/vigilo", "vigilo/vigilo.cfg"}));

        writeFile(
            prefix + "/vigilo-install-manifest.txt",
            QStringLiteral("file %1/vigilo\nfile %1/vigilo.cfg\ndir %1\n").arg(prefix).toUtf8());
        QCOMPARE(script(QStringLiteral("uninstall.sh"), {prefix}, env).exitCode, 0);
        QCOMPARE(treeOf(tmp.path()), withFolders({"vigilo/vigilo.cfg"}));
    }
};

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    TstInstall test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_install.moc"
