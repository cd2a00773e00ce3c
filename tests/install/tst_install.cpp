#include "debugged_program.h"
#include "mainwindow/image_list.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int kScriptTimeoutMs = 600000; // may have to build the program first
constexpr int kPageTimeoutMs = 60000;
const QString kAppId = QStringLiteral("org.example.vigilo");

QString sourceDir() {
    return qEnvironmentVariable("VIGILO_SOURCE_DIR");
}

struct Run {
    int exitCode = -1;
    QByteArray output;
};

Run runTool(const QString& program, const QStringList& args, const QProcessEnvironment& env) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    Run run;
    if (p.waitForFinished(kScriptTimeoutMs) && p.exitStatus() == QProcess::NormalExit)
        run.exitCode = p.exitCode();
    run.output = p.readAll();
    return run;
}

Run runScript(const QString& name, const QStringList& args, const QProcessEnvironment& env) {
    return runTool(QStringLiteral("bash"),
                   QStringList{sourceDir() + QStringLiteral("/scripts/") + name} + args, env);
}

// A user's environment with its own home; XDG_DATA_HOME only when given.
QProcessEnvironment userEnvironment(const QString& home, const QString& dataHome = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.remove(QStringLiteral("XDG_DATA_HOME"));
    if (!dataHome.isEmpty())
        env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    return env;
}

// Every file and folder below root, relative to it, sorted.
QStringList treeOf(const QString& root) {
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << QDir(root).relativeFilePath(it.next());
    entries.sort();
    return entries;
}

// The entries of paths and of all the folders that lead to them below root.
QStringList withFolders(const QStringList& paths) {
    QStringList entries;
    for (const QString& path : paths) {
        const QStringList parts = path.split(QLatin1Char('/'));
        for (qsizetype i = 1; i <= parts.size(); ++i)
            entries << parts.mid(0, i).join(QLatin1Char('/'));
    }
    entries.removeDuplicates();
    entries.sort();
    return entries;
}

QStringList installedDataFiles() {
    QStringList files{QStringLiteral("applications/") + kAppId + QStringLiteral(".desktop"),
                      QStringLiteral("metainfo/") + kAppId + QStringLiteral(".metainfo.xml"),
                      QStringLiteral("icons/hicolor/scalable/apps/") + kAppId +
                          QStringLiteral(".svg")};
    for (int size : kWindowIconSizes)
        files << QStringLiteral("icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(kAppId);
    return files;
}

QStringList prefixed(const QString& folder, const QStringList& names) {
    QStringList out;
    for (const QString& n : names)
        out << folder + QLatin1Char('/') + n;
    return out;
}

QMap<QString, QString> desktopEntry(const QString& path) {
    QFile f(path);
    QMap<QString, QString> keys;
    if (!f.open(QIODevice::ReadOnly))
        return keys;
    for (const QByteArray& raw : f.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && !line.startsWith(QLatin1Char('#')))
            keys.insert(line.left(eq).trimmed(), line.mid(eq + 1));
    }
    return keys;
}

// Splits an Exec value as a launcher does: the escapes of string values first,
// then the double quotes and their own escapes, then %% for a percent sign.
QStringList execArguments(const QString& value) {
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        QChar c = value[i];
        if (c == QLatin1Char('\\') && i + 1 < value.size()) {
            c = value[++i];
            if (c == QLatin1Char('s'))
                c = QLatin1Char(' ');
            else if (c == QLatin1Char('t'))
                c = QLatin1Char('\t');
        }
        text += c;
    }
    QStringList args;
    QString arg;
    bool quoted = false, started = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted && c == QLatin1Char('\\') && i + 1 < text.size() &&
            QStringLiteral("\"`$\\").contains(text[i + 1])) {
            arg += text[++i];
        } else if (c == QLatin1Char('"')) {
            quoted = !quoted;
            started = true;
        } else if (!quoted && c == QLatin1Char(' ')) {
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
    for (QString& a : args)
        a.replace(QStringLiteral("%%"), QStringLiteral("%"));
    return args;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// The per-user install and uninstall scripts against a temporary home.
class TstInstall : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY2(QFileInfo::exists(sourceDir() + QStringLiteral("/scripts/install.sh")),
                 "VIGILO_SOURCE_DIR does not point at the sources");
        for (const char* tool : {"desktop-file-validate", "appstreamcli"})
            QVERIFY2(!QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty(),
                     qPrintable(QStringLiteral("%1 is missing: apt-get install desktop-file-utils "
                                               "appstream")
                                    .arg(QString::fromLatin1(tool))));
    }

    // The default install, a launch from its desktop entry, and an uninstall
    // that leaves the user's own files.
    void installRunUninstall() {
        QTemporaryDir tmp;
        const QString home = tmp.filePath(QStringLiteral("home"));
        const QString data = home + QStringLiteral("/.local/share");
        const QString prefix = home + QStringLiteral("/.local/opt/vigilo");
        writeFile(data + QStringLiteral("/applications/other.desktop"), "[Desktop Entry]\n");
        const QProcessEnvironment env = userEnvironment(home);

        const Run install = runScript(QStringLiteral("install.sh"), {}, env);
        QVERIFY2(install.exitCode == 0, install.output.constData());
        QStringList expected = prefixed(QStringLiteral(".local/share"), installedDataFiles());
        expected << QStringLiteral(".local/share/applications/other.desktop")
                 << prefixed(QStringLiteral(".local/opt/vigilo"),
                             {QStringLiteral("vigilo"), QStringLiteral("start.htm"),
                              QStringLiteral("vigilo-install-manifest.txt")});
        QCOMPARE(treeOf(home), withFolders(expected));
        QVERIFY(QFileInfo(prefix + QStringLiteral("/vigilo")).isExecutable());

        // The desktop entry: valid, and naming the program, its icon and its window.
        const QString entryPath =
            data + QStringLiteral("/applications/") + kAppId + QStringLiteral(".desktop");
        const Run valid = runTool(QStringLiteral("desktop-file-validate"), {entryPath}, env);
        QVERIFY2(valid.exitCode == 0 && valid.output.trimmed().isEmpty(), valid.output.constData());
        const QMap<QString, QString> entry = desktopEntry(entryPath);
        QCOMPARE(execArguments(entry.value(QStringLiteral("Exec"))),
                 QStringList{prefix + QStringLiteral("/vigilo")});
        QCOMPARE(entry.value(QStringLiteral("Icon")), kAppId);
        QCOMPARE(entry.value(QStringLiteral("Categories")), QStringLiteral("Network;"));
        QCOMPARE(entry.value(QStringLiteral("StartupWMClass")), QStringLiteral("Vigilo"));
        QVERIFY(!entry.value(QStringLiteral("Comment")).isEmpty());

        // The metainfo: valid, pointing at this desktop entry and at the screenshot.
        const QString metainfo =
            data + QStringLiteral("/metainfo/") + kAppId + QStringLiteral(".metainfo.xml");
        const Run checked = runTool(QStringLiteral("appstreamcli"),
                                    {QStringLiteral("validate"), QStringLiteral("--no-net"),
                                     QStringLiteral("--no-color"), metainfo},
                                    env);
        QVERIFY2(checked.exitCode == 0, checked.output.constData());
        const QByteArray xml = readFile(metainfo);
        QVERIFY(xml.contains("<launchable type=\"desktop-id\">" + kAppId.toLatin1() +
                             ".desktop</launchable>"));
        QVERIFY(xml.contains("/main-window.png</image>"));
        QVERIFY(QFileInfo::exists(sourceDir() + QStringLiteral("/docs/main-window.png")));

        // Each size in the theme is the window's own icon at that size.
        const QIcon windowIcon = vigiloWindowIcon();
        for (int size : kWindowIconSizes) {
            const QImage installed(QStringLiteral("%1/icons/hicolor/%2x%2/apps/%3.png")
                                       .arg(data)
                                       .arg(size)
                                       .arg(kAppId));
            QCOMPARE(installed.size(), QSize(size, size));
            const QImage shown = windowIcon.pixmap(QSize(size, size)).toImage();
            QCOMPARE(shown.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                     installed.convertToFormat(QImage::Format_ARGB32_Premultiplied));
        }
        QVERIFY(readFile(data + QStringLiteral("/icons/hicolor/scalable/apps/") + kAppId +
                         QStringLiteral(".svg"))
                    .contains("<svg"));

        // Started as the launcher starts it, from elsewhere, it shows its own
        // start page; as root it switches the browser's sandbox off by itself.
        QProcessEnvironment runEnv = env;
        runEnv.remove(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"));
        DebuggedProgram vigilo(runEnv);
        const QStringList command = execArguments(entry.value(QStringLiteral("Exec")));
        QVERIFY(vigilo.start(command.first(), command.mid(1), tmp.path()));
        QTRY_VERIFY2_WITH_TIMEOUT(
            vigilo.shows(QUrl::fromLocalFile(prefix + QStringLiteral("/start.htm")),
                         QStringLiteral("Vigilo - start")),
            (vigilo.output() + vigilo.lastAnswer()).constData(), kPageTimeoutMs);
        QVERIFY(vigilo.stop(30000));

        // The user's list is not the install's: it stays, and so does its folder.
        writeFile(prefix + QStringLiteral("/vigilo.cfg"), "http://example.org/\r\n");
        const Run uninstall = runScript(QStringLiteral("uninstall.sh"), {}, env);
        QVERIFY2(uninstall.exitCode == 0, uninstall.output.constData());
        QCOMPARE(treeOf(home),
                 withFolders({QStringLiteral(".local/share/applications/other.desktop"),
                              QStringLiteral(".local/opt/vigilo/vigilo.cfg")}));
        QCOMPARE(readFile(prefix + QStringLiteral("/vigilo.cfg")),
                 QByteArray("http://example.org/\r\n"));
    }

    // A chosen folder and XDG_DATA_HOME, both with characters the desktop
    // entry must quote; installing twice and uninstalling once leaves nothing.
    void reinstallIntoQuotedFoldersThenUninstall() {
        QTemporaryDir tmp;
        const QString home = tmp.filePath(QStringLiteral("home"));
        QVERIFY(QDir().mkpath(home));
        const QString data = tmp.filePath(QStringLiteral("my data"));
        const QString prefix = tmp.filePath(QStringLiteral("apps $HOME \"q\" 100%/vigilo"));
        const QProcessEnvironment env = userEnvironment(home, data);

        for (int round = 0; round < 2; ++round) {
            const Run install = runScript(QStringLiteral("install.sh"), {prefix}, env);
            QVERIFY2(install.exitCode == 0, install.output.constData());
        }
        QVERIFY(treeOf(home).isEmpty());
        QCOMPARE(treeOf(data), withFolders(installedDataFiles()));
        QVERIFY(QFileInfo(prefix + QStringLiteral("/vigilo")).isExecutable());
        QVERIFY(QFileInfo::exists(prefix + QStringLiteral("/start.htm")));

        const QString entryPath =
            data + QStringLiteral("/applications/") + kAppId + QStringLiteral(".desktop");
        const Run valid = runTool(QStringLiteral("desktop-file-validate"), {entryPath}, env);
        QVERIFY2(valid.exitCode == 0 && valid.output.trimmed().isEmpty(), valid.output.constData());
        const QMap<QString, QString> entry = desktopEntry(entryPath);
        QCOMPARE(execArguments(entry.value(QStringLiteral("Exec"))),
                 QStringList{prefix + QStringLiteral("/vigilo")});

        const Run uninstall = runScript(QStringLiteral("uninstall.sh"), {prefix}, env);
        QVERIFY2(uninstall.exitCode == 0, uninstall.output.constData());
        QCOMPARE(treeOf(tmp.path()), QStringList{QStringLiteral("home")});
    }

    // Without a manifest nothing is known to be the install's; and a manifest
    // never takes the user's list or a folder that still holds something.
    void uninstallRemovesOnlyWhatTheManifestListsSafely() {
        QTemporaryDir tmp;
        const QString prefix = tmp.filePath(QStringLiteral("vigilo"));
        writeFile(prefix + QStringLiteral("/vigilo"), "program");
        writeFile(prefix + QStringLiteral("/vigilo.cfg"), "a\r\n");
        const QProcessEnvironment env = userEnvironment(tmp.path());

        const Run refused = runScript(QStringLiteral("uninstall.sh"), {prefix}, env);
        QVERIFY(refused.exitCode != 0);
        QVERIFY(refused.output.contains("Nothing was removed"));
        QCOMPARE(treeOf(tmp.path()), withFolders({QStringLiteral("vigilo/vigilo"),
                                                  QStringLiteral("vigilo/vigilo.cfg")}));

        writeFile(
            prefix + QStringLiteral("/vigilo-install-manifest.txt"),
            ("file " + prefix + "/vigilo\nfile " + prefix + "/vigilo.cfg\ndir " + prefix + "\n")
                .toUtf8());
        const Run done = runScript(QStringLiteral("uninstall.sh"), {prefix}, env);
        QVERIFY2(done.exitCode == 0, done.output.constData());
        QCOMPARE(treeOf(tmp.path()), withFolders({QStringLiteral("vigilo/vigilo.cfg")}));
    }
};

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    TstInstall test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_install.moc"
