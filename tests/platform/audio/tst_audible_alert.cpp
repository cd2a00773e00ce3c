// Plays through the real sound output into a private sound server whose only
// output is a null sink, records that sink and measures what came out.

#include "platform/audio/qt_sound_output.h"
#include "test_waves.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <cstdio>
#include <memory>

#include <signal.h>
#include <sys/prctl.h>

namespace {

constexpr const char* kHelperSwitch = "--play-through-sound-output";
using test_waves::floatToneWave;
using test_waves::noiseWave;
using test_waves::toneWave;
constexpr int kBytesPerSecond = test_waves::kRate * 2; // recorded as 16-bit mono

// The sound server dies with the test, whatever way the test ends.
void dieWithParent() {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
}

// Runs in the child: plays the file `count` times, reports how many sounds
// started and waits until every one is over.
int playHelper(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QString path = QString::fromLocal8Bit(argv[2]);
    const int count = argc > 3 ? QByteArray(argv[3]).toInt() : 1;
    QtSoundOutput sound;
    for (int i = 0; i < count; ++i)
        sound.play(path);
    std::printf("started %d\n", sound.playing());
    QDeadlineTimer deadline(15000);
    while (sound.playing() > 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    std::printf("left %d\n", sound.playing());
    std::fflush(stdout);
    return 0;
}

} // namespace

class TestAudibleAlert : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void toneIsHeard();
    void overlappingPlaysAreHeardAndReleased();
    void missingFileIsSilent();
    void undecodableWaveIsSilentAndReleased();
    void copiedWaveIsHeardAndReleased_data();
    void copiedWaveIsHeardAndReleased();

private:
    struct Playback {
        int started = -1;
        int left = -1;
        double rms = -1;
        QByteArray log; // what the player's process wrote to its log
    };
    Playback playAndRecord(const QString& path, int count);
    bool serverAnswers();
    QProcessEnvironment clientEnvironment() const;
    // Writes the bytes to a file of that name in the test's folder; returns
    // its path, empty when it could not be written.
    QString saveWave(const QString& name, const QByteArray& bytes) const;

    QTemporaryDir dir_;
    QString socket_;
    std::unique_ptr<QProcess> server_;
};

// Runs one check inside playAndRecord and gives up at its first failure.
#define STEP(check)                                                                                \
    [&] { check; }();                                                                              \
    if (QTest::currentTestFailed())                                                                \
        return out;

QProcessEnvironment TestAudibleAlert::clientEnvironment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), dir_.filePath(QStringLiteral("home")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_.filePath(QStringLiteral("run")));
    // The player's copies land here, apart from anything else's.
    env.insert(QStringLiteral("TMPDIR"), dir_.filePath(QStringLiteral("tmp")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.filePath(QStringLiteral("home/.config")));
    env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:") + socket_);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    env.remove(QStringLiteral("DISPLAY"));
    return env;
}

bool TestAudibleAlert::serverAnswers() {
    QProcess pactl;
    pactl.setProcessEnvironment(clientEnvironment());
    pactl.start(QStringLiteral("pactl"),
                {QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sinks")});
    return pactl.waitForFinished(5000) && pactl.exitCode() == 0 &&
           pactl.readAllStandardOutput().contains("vigilo_null");
}

void TestAudibleAlert::initTestCase() {
    for (const char* tool : {"pulseaudio", "pactl", "parec", "sox"})
        QVERIFY2(!QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty(),
                 qPrintable(QStringLiteral("%1 is not installed").arg(QString::fromLatin1(tool))));
    QVERIFY(dir_.isValid());
    QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("home/.config")));
    QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("run")));
    QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("tmp")));
    QVERIFY(QFile::setPermissions(dir_.filePath(QStringLiteral("run")),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                      QFileDevice::ExeOwner));
    socket_ = dir_.filePath(QStringLiteral("native"));

    server_ = std::make_unique<QProcess>();
    server_->setProcessEnvironment(clientEnvironment());
    server_->setChildProcessModifier(dieWithParent);
    server_->setStandardOutputFile(dir_.filePath(QStringLiteral("server.log")));
    server_->setStandardErrorFile(dir_.filePath(QStringLiteral("server.log")), QIODevice::Append);
    server_->start(
        QStringLiteral("pulseaudio"),
        {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
         QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--use-pid-file=no"),
         QStringLiteral("--disallow-module-loading"), QStringLiteral("--log-target=stderr"),
         QStringLiteral("--load=module-null-sink sink_name=vigilo_null"),
         QStringLiteral("--load=module-native-protocol-unix auth-anonymous=1 socket=") + socket_});
    QVERIFY2(server_->waitForStarted(10000), qPrintable(server_->errorString()));
    QTRY_VERIFY2_WITH_TIMEOUT(server_->state() == QProcess::Running && serverAnswers(),
                              "the sound server did not come up (see server.log)", 20000);
}

void TestAudibleAlert::cleanupTestCase() {
    if (!server_)
        return;
    server_->terminate();
    if (!server_->waitForFinished(5000)) {
        server_->kill();
        server_->waitForFinished(5000);
    }
    QCOMPARE(server_->state(), QProcess::NotRunning);
}

TestAudibleAlert::Playback TestAudibleAlert::playAndRecord(const QString& path, int count) {
    Playback out;
    const QString recording = dir_.filePath(QStringLiteral("recording.raw"));
    QFile::remove(recording);
    auto recorded = [&recording] { return QFileInfo(recording).size(); };

    QProcess recorder;
    recorder.setProcessEnvironment(clientEnvironment());
    recorder.setChildProcessModifier(dieWithParent);
    recorder.setStandardOutputFile(recording);
    recorder.start(QStringLiteral("parec"),
                   {QStringLiteral("-d"), QStringLiteral("vigilo_null.monitor"),
                    QStringLiteral("--format=s16le"), QStringLiteral("--rate=44100"),
                    QStringLiteral("--channels=1"), QStringLiteral("--latency-msec=20")});
    STEP(QVERIFY(recorder.waitForStarted(10000)))
    // The monitor delivers silence all the time: data means we are listening.
    STEP(QTRY_VERIFY_WITH_TIMEOUT(recorded() > 0, 10000))

    QProcess player;
    player.setProcessEnvironment(clientEnvironment());
    player.start(QCoreApplication::applicationFilePath(),
                 {QString::fromLatin1(kHelperSwitch), path, QString::number(count)});
    STEP(QVERIFY(player.waitForFinished(30000)))
    STEP(QCOMPARE(player.exitStatus(), QProcess::NormalExit))
    const QByteArray report = player.readAllStandardOutput();
    auto field = [&report](const char* name) {
        const QRegularExpression re(QString::fromLatin1(name) + QStringLiteral(" (-?\\d+)"));
        const auto m = re.match(QString::fromLatin1(report));
        return m.hasMatch() ? m.captured(1).toInt() : -1;
    };
    out.started = field("started");
    out.left = field("left");
    out.log = player.readAllStandardError();

    // Keep listening a little longer for whatever the server still holds.
    const qint64 atEnd = recorded();
    STEP(QTRY_VERIFY_WITH_TIMEOUT(recorded() >= atEnd + kBytesPerSecond / 2, 10000))
    recorder.terminate();
    if (!recorder.waitForFinished(5000))
        recorder.kill();

    QProcess sox;
    sox.start(QStringLiteral("sox"),
              {QStringLiteral("-t"), QStringLiteral("raw"), QStringLiteral("-r"),
               QStringLiteral("44100"), QStringLiteral("-e"), QStringLiteral("signed-integer"),
               QStringLiteral("-b"), QStringLiteral("16"), QStringLiteral("-c"),
               QStringLiteral("1"), recording, QStringLiteral("-n"), QStringLiteral("stat")});
    STEP(QVERIFY(sox.waitForFinished(30000)))
    const QString stat = QString::fromLatin1(sox.readAllStandardError());
    const auto m =
        QRegularExpression(QStringLiteral("RMS\\s+amplitude:\\s+([0-9.eE+-]+)")).match(stat);
    STEP(QVERIFY2(m.hasMatch(), qPrintable(stat)))
    out.rms = m.captured(1).toDouble();
    qInfo("report: %s rms %g over %lld bytes", report.simplified().constData(), out.rms,
          recorded());
    return out;
}

QString TestAudibleAlert::saveWave(const QString& name, const QByteArray& bytes) const {
    const QString path = dir_.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.flush())
        return {};
    return path;
}

void TestAudibleAlert::toneIsHeard() {
    // Blanks and characters beyond Latin-1 in the name, too.
    const QString path = saveWave(QStringLiteral("tone 440 \u20ac \u0417\u0432\u0443\u043a.wav"),
                                  toneWave(1.0, 440, 0.5));
    QVERIFY(!path.isEmpty());
    const Playback p = playAndRecord(path, 1);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(p.started, 1);
    QCOMPARE(p.left, 0);
    QVERIFY2(!p.log.contains("no sound"), p.log.constData());
    // A 0.5 sine has an RMS of 0.35; even diluted by the silence around it
    // it stays far above the 0 of an idle sink.
    QVERIFY2(p.rms > 0.05, qPrintable(QString::number(p.rms)));
}

void TestAudibleAlert::overlappingPlaysAreHeardAndReleased() {
    const QString path = saveWave(QStringLiteral("short.wav"), noiseWave(0.5, 0.3));
    QVERIFY(!path.isEmpty());
    const Playback p = playAndRecord(path, 2);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(p.started, 2);
    QCOMPARE(p.left, 0);
    QVERIFY2(p.rms > 0.02, qPrintable(QString::number(p.rms)));
}

void TestAudibleAlert::missingFileIsSilent() {
    const Playback p = playAndRecord(dir_.filePath(QStringLiteral("gone.wav")), 1);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(p.started, 0);
    QVERIFY2(p.log.contains("vigilo.audio: no sound: no file at"), p.log.constData());
    QVERIFY2(p.rms < 0.001, qPrintable(QString::number(p.rms)));
}

// A wave header the decoder refuses (an MPEG payload inside RIFF): silence, and
// every effect made for it must go, also on repeated alerts answered from
// Qt's cache of failed samples.
void TestAudibleAlert::undecodableWaveIsSilentAndReleased() {
    QByteArray wav = toneWave(0.5, 440, 0.3);
    qToLittleEndian<quint16>(0x0055, wav.data() + 20); // format tag: MPEG layer 3
    const QString path = saveWave(QStringLiteral("undecodable.wav"), wav);
    QVERIFY(!path.isEmpty());
    const Playback p = playAndRecord(path, 3);
    if (QTest::currentTestFailed())
        return;
    // Tried, not refused, and the failure told.
    QVERIFY2(p.log.contains("vigilo.audio: no sound: the sound system could not play"),
             p.log.constData());
    QVERIFY2(!p.log.contains("not a WAV"), p.log.constData());
    QCOMPARE(p.left, 0);
    QVERIFY2(p.rms < 0.001, qPrintable(QString::number(p.rms)));
}

// Waves Qt's effects refuse or never finish, played from a 16-bit copy that
// goes with its sound: float samples, as many editors save them, and a data
// chunk that claims more than the file holds, as a recording cut short leaves
// it (Qt's loader would wait for the rest for ever).
void TestAudibleAlert::copiedWaveIsHeardAndReleased_data() {
    QTest::addColumn<QByteArray>("wav");
    QTest::newRow("float") << floatToneWave(1.0, 440, 0.5);
    QByteArray truncated = toneWave(1.0, 440, 0.5);
    qToLittleEndian<quint32>(static_cast<quint32>(4 * (truncated.size() - 44)),
                             truncated.data() + 40);
    QTest::newRow("cut short") << truncated;
}

void TestAudibleAlert::copiedWaveIsHeardAndReleased() {
    QFETCH(QByteArray, wav);
    const QString path = saveWave(QStringLiteral("copied.wav"), wav);
    QVERIFY(!path.isEmpty());
    const Playback p = playAndRecord(path, 1);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(p.started, 1);
    QCOMPARE(p.left, 0);
    QVERIFY2(p.rms > 0.05, qPrintable(QString::number(p.rms)));
    QVERIFY(QDir(dir_.filePath(QStringLiteral("tmp"))).isEmpty());
}

int main(int argc, char** argv) {
    if (argc >= 3 && qstrcmp(argv[1], kHelperSwitch) == 0)
        return playHelper(argc, argv);
    QCoreApplication app(argc, argv);
    TestAudibleAlert test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_audible_alert.moc"
