#include "fake_platform.h"
#include "sound/play_wave.h"

#include <QtTest>

#include <stdexcept>

namespace {

class ThrowingMedia : public MediaService {
public:
    int mciSendString(const QByteArray& command) override {
        ++calls;
        if (throwStd)
            throw std::runtime_error(command.toStdString());
        throw 42; // not even an exception class
    }
    bool throwStd = true;
    int calls = 0;
};

} // namespace

class TestPlayWave : public QObject {
    Q_OBJECT

private slots:
    void sendsPlayAndThePathAsIs_data();
    void sendsPlayAndThePathAsIs();
    void eachCallSendsItsOwnCommand();
    void pathOutsideTheCodePageIsNotSent();
    void nothingEscapesFromTheMediaService();
};

void TestPlayWave::sendsPlayAndThePathAsIs_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("command");
    QTest::newRow("plain") << "/snd/alert.wav" << QByteArray("play /snd/alert.wav");
    QTest::newRow("no file chosen") << QString() << QByteArray("play ");
    QTest::newRow("blanks stay unquoted")
        << "/my sounds/a b.wav" << QByteArray("play /my sounds/a b.wav");
    QTest::newRow("short form") << "C:\\PROGRA~1\\DING.WAV"
                                << QByteArray("play C:\\PROGRA~1\\DING.WAV");
    QTest::newRow("one byte per character")
        << QStringLiteral("/t\u00f6ne\u00ff.wav") << QByteArray("play /t\xf6ne\xff.wav");
}

void TestPlayWave::sendsPlayAndThePathAsIs() {
    QFETCH(QString, path);
    QFETCH(QByteArray, command);
    FakeMedia media;
    const QString before = path;
    PlayWave(media, path);
    QCOMPARE(media.commands, QList<QByteArray>{command});
    QCOMPARE(path, before);
}

void TestPlayWave::eachCallSendsItsOwnCommand() {
    // No state survives a call: a second alert while the first still plays
    // just sends another command.
    FakeMedia media;
    PlayWave(media, QStringLiteral("/a.wav"));
    PlayWave(media, QStringLiteral("/a.wav"));
    PlayWave(media, QStringLiteral("/b.wav"));
    QCOMPARE(media.commands, QList<QByteArray>({"play /a.wav", "play /a.wav", "play /b.wav"}));
}

void TestPlayWave::pathOutsideTheCodePageIsNotSent() {
    // '?' in place of the character could name some other file.
    FakeMedia media;
    PlayWave(media, QStringLiteral("/\u03a9.wav"));
    QVERIFY(media.commands.isEmpty());
}

void TestPlayWave::nothingEscapesFromTheMediaService() {
    ThrowingMedia media;
    PlayWave(media, QStringLiteral("/a.wav"));
    media.throwStd = false;
    PlayWave(media, QStringLiteral("/a.wav"));
    QCOMPARE(media.calls, 2);
}

QTEST_GUILESS_MAIN(TestPlayWave)
#include "tst_play_wave.moc"
