#include "build_info.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
    int exitCode = -1;
    QByteArray output; // standard output
    QByteArray errors; // standard error
};

Run run(const QString& program, const QStringList& args,
        const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    Run r;
    if (p.waitForFinished(240000) && p.exitStatus() == QProcess::NormalExit)
        r.exitCode = p.exitCode();
    r.output = p.readAllStandardOutput();
    r.errors = p.readAllStandardError();
    return r;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QString kId = QStringLiteral(VIGILO_APP_ID);
const QString kMaintainer = QStringLiteral("Package Test <package-test@vigilo.invalid>");

} // namespace

// The package that `cpack -G DEB` makes from this build, taken apart.
class TstDebPackage : public QObject {
    Q_OBJECT
private:
    QTemporaryDir tmp_;
    QString deb_;
    QString tree_;

    QString field(const char* name) {
        const Run r = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), deb_, name});
        return QString::fromUtf8(r.output).trimmed();
    }

private slots:
    void initTestCase() {
        for (const char* tool : {"dpkg-deb", "dpkg-shlibdeps", "file"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                QSKIP(qPrintable(QStringLiteral("making the package needs %1 (packages dpkg, "
                                                "dpkg-dev and file)")
                                     .arg(QLatin1String(tool))));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DEBFULLNAME"), QStringLiteral("Package Test"));
        env.insert(QStringLiteral("DEBEMAIL"), QStringLiteral("package-test@vigilo.invalid"));
        const QString build = qEnvironmentVariable("VIGILO_BUILD_DIR");
        const Run made =
            run(qEnvironmentVariable("VIGILO_CPACK"),
                {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
                 build + QStringLiteral("/CPackConfig.cmake"), QStringLiteral("-B"), tmp_.path()},
                env);
        QVERIFY2(made.exitCode == 0, (made.output + made.errors).constData());
        const QStringList debs = QDir(tmp_.path()).entryList({QStringLiteral("*.deb")});
        QCOMPARE(debs.size(), 1);
        deb_ = tmp_.filePath(debs.first());
        tree_ = tmp_.filePath(QStringLiteral("tree"));
        const Run unpacked = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), deb_, tree_});
        QVERIFY2(unpacked.exitCode == 0, unpacked.errors.constData());
    }

    void nameAndFields() {
        const QString arch =
            QString::fromUtf8(
                run(QStringLiteral("dpkg"), {QStringLiteral("--print-architecture")}).output)
                .trimmed();
        QCOMPARE(QFileInfo(deb_).fileName(),
                 QStringLiteral("vigilo_%1_%2.deb").arg(QStringLiteral(VIGILO_VERSION), arch));
        QCOMPARE(field("Package"), QStringLiteral("vigilo"));
        QCOMPARE(field("Version"), QStringLiteral(VIGILO_VERSION));
        QCOMPARE(field("Architecture"), arch);
        // Whoever makes the package, named as Debian's tools take it.
        QCOMPARE(field("Maintainer"), kMaintainer);
    }

    void dependsOnWhatTheProgramLinks() {
        QStringList names;
        for (const QString& alternatives : field("Depends").split(QLatin1Char(',')))
            for (const QString& dependency : alternatives.split(QLatin1Char('|')))
                names << dependency.trimmed().section(QLatin1Char(' '), 0, 0);
        for (const char* needed : {"libc6", "libstdc++6", "libqt6core6", "libqt6gui6",
                                   "libqt6widgets6", "libqt6multimedia6", "libqt6webenginewidgets6",
                                   "libcurl4", "libbrotli1", "libzstd1", "zlib1g"})
            QVERIFY2(names.contains(QLatin1String(needed)), qPrintable(names.join(", ")));
        for (const QString& name : names)
            QVERIFY2(!name.endsWith(QLatin1String("-dev")) && !name.startsWith("libasan"),
                     qPrintable(name));
    }

    // Every file in its place, owned by root, readable by all.
    void files() {
        const Run listed = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), deb_});
        QStringList files;
        for (const QByteArray& line : listed.output.split('\n')) {
            const QList<QByteArray> columns = line.simplified().split(' ');
            if (columns.size() < 6)
                continue;
            const QByteArray mode = columns.at(0), path = columns.at(5);
            QCOMPARE(columns.at(1), QByteArray("root/root"));
            if (mode.startsWith('d')) {
                QCOMPARE(mode, QByteArray("drwxr-xr-x"));
                continue;
            }
            QCOMPARE(mode, path == "./usr/bin/vigilo" ? QByteArray("-rwxr-xr-x")
                                                      : QByteArray("-rw-r--r--"));
            files << QString::fromUtf8(path);
        }
        QStringList expected{"./usr/bin/vigilo",
                             "./usr/share/vigilo/start.htm",
                             "./usr/share/applications/" + kId + ".desktop",
                             "./usr/share/metainfo/" + kId + ".metainfo.xml",
                             "./usr/share/icons/hicolor/scalable/apps/" + kId + ".svg",
                             "./usr/share/doc/vigilo/changelog.gz",
                             "./usr/share/doc/vigilo/copyright",
                             "./usr/share/man/man1/vigilo.1.gz"};
        for (int size : {VIGILO_ICON_SIZES})
            expected
                << QStringLiteral("./usr/share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(kId);
        files.sort();
        expected.sort();
        QCOMPARE(files, expected);
    }

    // The launcher starts the program through PATH; the metadata holds no
    // address of ours, which we do not have.
    void launcherAndMetadata() {
        const QString desktop = tree_ + "/usr/share/applications/" + kId + ".desktop";
        const Run valid = run(QStringLiteral("desktop-file-validate"), {desktop});
        QVERIFY2(valid.exitCode == 0 && valid.output.trimmed().isEmpty(), valid.output.constData());
        const QByteArray entry = readFile(desktop);
        QVERIFY(entry.contains("\nExec=vigilo\n"));
        QVERIFY(entry.contains("\nTryExec=vigilo\n"));

        const QString metainfo = tree_ + "/usr/share/metainfo/" + kId + ".metainfo.xml";
        const Run checked = run(QStringLiteral("appstreamcli"),
                                {QStringLiteral("validate"), QStringLiteral("--no-net"), metainfo});
        QVERIFY2(checked.exitCode == 0, checked.output.constData());
        const QByteArray metadata = readFile(metainfo);
        QVERIFY(!metadata.contains("example.org"));
        QVERIFY(!metadata.contains('@'));
    }

    void lintianFindsNoError() {
        if (QStandardPaths::findExecutable(QStringLiteral("lintian")).isEmpty())
            QSKIP("needs lintian (package lintian)");
        const Run checked = run(QStringLiteral("lintian"), {deb_});
        const QByteArray report = checked.output + checked.errors;
        QVERIFY2(!report.contains("\nE: ") && !report.startsWith("E: "), report.constData());
        QVERIFY2(checked.exitCode == 0, report.constData());
    }
};

QTEST_GUILESS_MAIN(TstDebPackage)
#include "tst_deb_package.moc"
