#include "platform/audio/qt_media_service.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// Commands that must fail before any audio is touched; what is heard is the
// business of the audible alert test.
class TestQtMediaService : public QObject {
    Q_OBJECT

private slots:
    void refusesWithoutPlaying_data();
    void refusesWithoutPlaying();
};

void TestQtMediaService::refusesWithoutPlaying_data() {
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("result");
    QTest::newRow("other command")
        << QByteArray("close all") << int(QtMediaService::UnrecognizedCommand);
    QTest::newRow("verb only, no blank")
        << QByteArray("play") << int(QtMediaService::UnrecognizedCommand);
    QTest::newRow("upper case verb")
        << QByteArray("PLAY @/tone.wav") << int(QtMediaService::UnrecognizedCommand);
    QTest::newRow("no file chosen") << QByteArray("play ") << int(QtMediaService::FileNotFound);
    QTest::newRow("missing file") << QByteArray("play @/gone.wav")
                                  << int(QtMediaService::FileNotFound);
    QTest::newRow("folder") << QByteArray("play @") << int(QtMediaService::FileNotFound);
    QTest::newRow("not a wave") << QByteArray("play @/song.mp3") << int(QtMediaService::NotWave);
    QTest::newRow("wave name, other data")
        << QByteArray("play @/fake.wav") << int(QtMediaService::NotWave);
    QTest::newRow("short file") << QByteArray("play @/short.wav") << int(QtMediaService::NotWave);
}

void TestQtMediaService::refusesWithoutPlaying() {
    QFETCH(QByteArray, command);
    QFETCH(int, result);
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
    command.replace('@', dir.path().toLatin1());

    QtMediaService media;
    QCOMPARE(media.mciSendString(command), result);
    QCOMPARE(media.playing(), 0);
}

QTEST_GUILESS_MAIN(TestQtMediaService)
#include "tst_qt_media_service.moc"
