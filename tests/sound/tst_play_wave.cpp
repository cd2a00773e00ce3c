#include "fake_platform.h"
#include "sound/play_wave.h"

#include <QRegularExpression>
#include <QtTest>

#include <stdexcept>

namespace {

class ThrowingSound : public SoundOutput {
public:
    void play(const QString& path) override {
        ++calls;
        if (throwStd)
            throw std::runtime_error(path.toStdString());
        throw 42; // not even an exception class
    }
    bool throwStd = true;
    int calls = 0;
};

} // namespace

class TestPlayWave : public QObject {
    Q_OBJECT

private slots:
    void playsThePathAsIs_data();
    void playsThePathAsIs();
    void eachCallPlaysItsOwnSound();
    void nothingEscapesFromTheSoundOutput();
};

void TestPlayWave::playsThePathAsIs_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("plain") << "/snd/alert.wav";
    QTest::newRow("no file chosen") << QString();
    QTest::newRow("blanks") << "/my sounds/a b.wav";
    QTest::newRow("beyond Latin-1")
        << QStringLiteral("/M\u00fasica \u20ac/\u0417\u0432\u0443\u043a.wav");
}

void TestPlayWave::playsThePathAsIs() {
    QFETCH(QString, path);
    FakeSound sound;
    PlayWave(sound, path);
    QCOMPARE(sound.played, QStringList{path});
}

void TestPlayWave::eachCallPlaysItsOwnSound() {
    // No state survives a call: a second alert while the first still plays
    // just starts another sound.
    FakeSound sound;
    PlayWave(sound, QStringLiteral("/a.wav"));
    PlayWave(sound, QStringLiteral("/a.wav"));
    PlayWave(sound, QStringLiteral("/b.wav"));
    QCOMPARE(sound.played, QStringList({"/a.wav", "/a.wav", "/b.wav"}));
}

void TestPlayWave::nothingEscapesFromTheSoundOutput() {
    ThrowingSound sound;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("silent.*/a\\.wav")));
    PlayWave(sound, QStringLiteral("/a.wav"));
    sound.throwStd = false;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("silent")));
    PlayWave(sound, QStringLiteral("/a.wav"));
    QCOMPARE(sound.calls, 2);
}

QTEST_GUILESS_MAIN(TestPlayWave)
#include "tst_play_wave.moc"
