#include "platform/desktop/qt_short_path_service.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr std::uint32_t kLength = 1000;

void touch(const QString& path) {
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
}

} // namespace

class TestQtShortPathService : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void existingFileGivesItsAbsolutePath_data();
    void existingFileGivesItsAbsolutePath();
    void failsWithoutTouchingTheBuffer_data();
    void failsWithoutTouchingTheBuffer();
    void nameOutsideTheCodePageFails();

private:
    QTemporaryDir dir_;
    QString root_;
    QString oldCurrent_;
};

void TestQtShortPathService::init() {
    QVERIFY(dir_.isValid());
    root_ = QDir(dir_.path()).canonicalPath();
    QVERIFY(QDir(root_).mkpath(QStringLiteral("my sounds")));
    touch(root_ + QStringLiteral("/ding.wav"));
    touch(root_ + QStringLiteral("/my sounds/a b.wav"));
    touch(root_ + QStringLiteral("/caf\u00e9.wav"));
    oldCurrent_ = QDir::currentPath();
}

void TestQtShortPathService::cleanup() {
    QDir::setCurrent(oldCurrent_);
}

void TestQtShortPathService::existingFileGivesItsAbsolutePath_data() {
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "/ding.wav"
                           << "/ding.wav";
    QTest::newRow("blanks") << "/my sounds/a b.wav"
                            << "/my sounds/a b.wav";
    QTest::newRow("latin-1") << QStringLiteral("/caf\u00e9.wav")
                             << QStringLiteral("/caf\u00e9.wav");
    QTest::newRow("doubled separator") << "/my sounds//a b.wav"
                                       << "/my sounds/a b.wav";
    QTest::newRow("relative") << "ding.wav"
                              << "/ding.wav";
}

void TestQtShortPathService::existingFileGivesItsAbsolutePath() {
    QFETCH(QString, asked);
    QFETCH(QString, expected);
    QVERIFY(QDir::setCurrent(root_));
    const QString longPath = asked.startsWith(QLatin1Char('/')) ? root_ + asked : asked;
    const QByteArray want = (root_ + expected).toLatin1();

    QByteArray buffer(kLength, ' ');
    QtShortPathService service;
    const std::uint32_t written =
        service.GetShortPathName(longPath.toLatin1(), buffer.data(), kLength);
    QCOMPARE(written, static_cast<std::uint32_t>(want.size()));
    QCOMPARE(buffer.left(want.size()), want);
    QCOMPARE(buffer.at(want.size()), '\0');
    // Nothing beyond the NUL is touched.
    QCOMPARE(buffer.mid(want.size() + 1), QByteArray(kLength - want.size() - 1, ' '));
}

void TestQtShortPathService::failsWithoutTouchingTheBuffer_data() {
    QTest::addColumn<QString>("asked");
    QTest::addColumn<std::uint32_t>("length");
    QTest::newRow("missing file") << "/gone.wav" << kLength;
    QTest::newRow("folder") << "/my sounds" << kLength;
    QTest::newRow("folder, no file selected") << "/my sounds/" << kLength;
    QTest::newRow("empty") << QString() << kLength;
    QTest::newRow("buffer too small") << "/ding.wav" << std::uint32_t(5);
}

void TestQtShortPathService::failsWithoutTouchingTheBuffer() {
    QFETCH(QString, asked);
    QFETCH(std::uint32_t, length);
    const QByteArray longPath = asked.isEmpty() ? QByteArray() : (root_ + asked).toLatin1();
    QByteArray buffer(kLength, ' ');
    QtShortPathService service;
    QCOMPARE(service.GetShortPathName(longPath, buffer.data(), length), 0u);
    QCOMPARE(buffer, QByteArray(kLength, ' '));
}

void TestQtShortPathService::nameOutsideTheCodePageFails() {
    // Reached through the current folder, the absolute path holds a character
    // the buffer's code page has no byte for.
    const QString folder = root_ + QStringLiteral("/\u03a9");
    QVERIFY(QDir().mkpath(folder));
    touch(folder + QStringLiteral("/x.wav"));
    QVERIFY(QDir::setCurrent(folder));
    QByteArray buffer(kLength, ' ');
    QtShortPathService service;
    QCOMPARE(service.GetShortPathName("x.wav", buffer.data(), kLength), 0u);
    QCOMPARE(buffer, QByteArray(kLength, ' '));
}

QTEST_GUILESS_MAIN(TestQtShortPathService)
#include "tst_qt_short_path_service.moc"
