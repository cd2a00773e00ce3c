#include "build_info.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
    bool ok = false;
    QByteArray output; // standard output and error together
};

Run run(const QString& program, const QStringList& args,
        const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    const bool ok =
        p.waitForFinished(240000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return {ok, p.readAll()};
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QString kId = QStringLiteral(VIGILO_APP_ID);

} // namespace

// The package that `cpack -G DEB` makes from this build, taken apart.
class TstDebPackage : public QObject {
    Q_OBJECT
private:
    QTemporaryDir tmp_;
    QString deb_;

    QString field(const char* name) {
        return QString::fromUtf8(run(QStringLiteral("dpkg-deb"), {"-f", deb_, name}).output)
            .trimmed();
    }

private slots:
    void initTestCase() {
        for (const char* tool : {"dpkg-deb", "dpkg-shlibdeps", "file", "lintian"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                QSKIP(qPrintable(QStringLiteral("needs %1 (packages dpkg-dev, file and lintian)")
                                     .arg(QLatin1String(tool))));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DEBFULLNAME"), QStringLiteral("Package Test"));
        env.insert(QStringLiteral("DEBEMAIL"), QStringLiteral("package-test@vigilo.invalid"));
        const QString config = qEnvironmentVariable("VIGILO_BUILD_DIR") + "/CPackConfig.cmake";
        const Run made = run(qEnvironmentVariable("VIGILO_CPACK"),
                             {"-G", "DEB", "--config", config, "-B", tmp_.path()}, env);
        QVERIFY2(made.ok, made.output.constData());
        const QString arch = QString::fromUtf8(
            run(QStringLiteral("dpkg"), {"--print-architecture"}).output.trimmed());
        deb_ = tmp_.filePath(QStringLiteral("vigilo_%1_%2.deb").arg(VIGILO_VERSION, arch));
        QVERIFY2(run(QStringLiteral("dpkg-deb"), {"-x", deb_, tmp_.filePath("tree")}).ok,
                 qPrintable(QDir(tmp_.path()).entryList().join(' ')));
    }

    void fields() {
        QCOMPARE(field("Package"), QStringLiteral("vigilo"));
        QCOMPARE(field("Maintainer"), QStringLiteral("Package Test <package-test@vigilo.invalid>"));
        QStringList names;
        for (const QString& dependency : field("Depends").split(QRegularExpression("[,|]")))
            names << dependency.trimmed().section(QLatin1Char(' '), 0, 0);
        for (const char* linked :
             {"libc6", "libqt6widgets6", "libqt6multimedia6", "libqt6webenginewidgets6", "libcurl4",
              "libbrotli1", "libzstd1", "zlib1g"})
            QVERIFY2(names.contains(QLatin1String(linked)), qPrintable(names.join(", ")));
    }

    // Every file in its place, owned by root, readable by all.
    void files() {
        QStringList files;
        for (const QByteArray& line :
             run(QStringLiteral("dpkg-deb"), {"-c", deb_}).output.split('\n')) {
            const QList<QByteArray> column = line.simplified().split(' ');
            if (column.size() < 6 || column.at(0).startsWith('d'))
                continue;
            files << QString::fromUtf8(column.at(5));
            QCOMPARE(column.at(0) + ' ' + column.at(1), files.last() == "./usr/bin/vigilo"
                                                            ? "-rwxr-xr-x root/root"
                                                            : "-rw-r--r-- root/root");
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

    // The launcher starts the program through PATH; the metainfo holds no
    // address of ours, since we have none.
    void launcherAndMetainfo() {
        const QString share = tmp_.filePath(QStringLiteral("tree/usr/share/"));
        QVERIFY(readFile(share + "applications/" + kId + ".desktop").contains("\nExec=vigilo\n"));
        const QByteArray metainfo = readFile(share + "metainfo/" + kId + ".metainfo.xml");
        QVERIFY(metainfo.contains("<component") && !metainfo.contains("example.org"));
    }

    // Lintian also reads the launcher and the metainfo.
    void lintianFindsNoError() {
        const Run checked = run(QStringLiteral("lintian"), {deb_});
        QVERIFY2(checked.ok && !checked.output.contains("E: ") &&
                     !checked.output.contains("desktop-") && !checked.output.contains("appstream"),
                 checked.output.constData());
    }
};

QTEST_GUILESS_MAIN(TstDebPackage)
#include "tst_deb_package.moc"
