#include "platform/audio/qt_sound_output.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

// Paths refused before any audio is touched, each with its line in the log;
// what is heard is the business of the audible alert test.
class TestQtSoundOutput : public QObject {
    Q_OBJECT

private slots:
    void refusesWithoutPlaying_data();
    void refusesWithoutPlaying();
};

void TestQtSoundOutput::refusesWithoutPlaying_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("logged");
    const QString noFile = QStringLiteral("no file at");
    const QString notWave = QStringLiteral("not a WAV file");
    QTest::newRow("no file chosen") << QString() << noFile;
    QTest::newRow("missing file") << "@/gone.wav" << noFile;
    QTest::newRow("folder") << "@" << noFile;
    QTest::newRow("not a wave") << "@/song.mp3" << notWave;
    QTest::newRow("wave name, other data") << "@/fake.wav" << notWave;
    QTest::newRow("short file") << "@/short.wav" << notWave;
}

void TestQtSoundOutput::refusesWithoutPlaying() {
    QFETCH(QString, path);
    QFETCH(QString, logged);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    auto write = [&](const char* name, const QByteArray& data) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(data);
    };
    write("song.mp3", QByteArray("ID3\x03\x00\x00\x00\x00\x00\x00", 10) + QByteArray(64, 'x'));
    write("fake.wav", QByteArray("RIFF\x24\x00\x00\x00"
                                 "AVI LIST",
                                 16));
    write("short.wav", "RIFF");
    path.replace(QLatin1Char('@'), dir.path());

    QtSoundOutput sound;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(logged)));
    sound.play(path);
    QCOMPARE(sound.playing(), 0);
}

QTEST_GUILESS_MAIN(TestQtSoundOutput)
#include "tst_qt_sound_output.moc"
