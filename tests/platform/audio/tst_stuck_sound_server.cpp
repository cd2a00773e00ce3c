// A sound server that takes connections and never answers: the sound system
// hangs inside its connection until its own timeout (30 s). None of that may
// reach the window, and the process still ends at once.

#include "fake_platform.h"
#include "mainwindow/form1.h"
#include "platform/audio/qt_sound_output.h"
#include "sound/alert_sound.h"
#include "test_waves.h"
#include "widgets/interval_timer.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QLineEdit>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QScopeGuard>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

#include <unistd.h>

namespace {

constexpr const char* kHelperSwitch = "--play-while-stuck";
// Far below the sound system's timeout, far above a busy machine's hiccups.
constexpr int kPromptMs = 3000;

qint64 now() {
    return QDateTime::currentMSecsSinceEpoch();
}

// Runs in the child: plays each file named, says "started <sounds started>",
// then "over <time> gap <longest pause of its event loop>" once no sound is
// left, and returns from main as soon as anything arrives on its input.
int playHelper(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QtSoundOutput sound;
    for (int i = 2; i < argc; ++i)
        sound.play(QString::fromLocal8Bit(argv[i]));
    std::printf("started %d\n", sound.playing());
    std::fflush(stdout);
    qint64 last = now(), gap = 0;
    bool told = false;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        gap = std::max(gap, now() - last);
        last = now();
        if (!told && sound.playing() == 0) {
            told = true;
            std::printf("over %lld gap %lld\n", last, gap);
            std::fflush(stdout);
        }
    });
    tick.start(20);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    return app.exec();
}

} // namespace

class TestStuckSoundServer : public QObject {
    Q_OBJECT

public:
    // Takes every connection, never writes a byte, and notes when each came
    // and when its client gave up.
    explicit TestStuckSoundServer(const QString& socket) {
        connect(&server_, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* client = server_.nextPendingConnection()) {
                const qsizetype index = accepted_.size();
                accepted_.append(now());
                closed_.append(0);
                connect(client, &QLocalSocket::readyRead, client, [client] { client->readAll(); });
                connect(client, &QLocalSocket::disconnected, this,
                        [this, index] { closed_[index] = now(); });
            }
        });
        server_.listen(socket);
    }

private slots:
    void initTestCase();
    void windowGoesOnWhileTheAlertHangs();
    void processEndsAtOnceWhileTheSoundThreadHangs();
    void hangEndsInSilenceAfterOneWait();

private:
    QString wave(const QString& name, const QByteArray& data);
    QString runHelper(QProcess& child, const QStringList& files, const QString& tempDir = {});

    QList<qint64> accepted_;
    QList<qint64> closed_;
    // After the lists: its clients, closed as it goes, still note the time.
    QLocalServer server_;
    QTemporaryDir dir_;
};

void TestStuckSoundServer::initTestCase() {
    QVERIFY(server_.isListening());
    QVERIFY(dir_.isValid());
}

QString TestStuckSoundServer::wave(const QString& name, const QByteArray& data) {
    QFile f(dir_.filePath(name));
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size() ? f.fileName() : QString();
}

void TestStuckSoundServer::windowGoesOnWhileTheAlertHangs() {
    QtSoundOutput sound;
    FakePlatform fakes;
    Platform platform = fakes.platform();
    platform.sound = &sound;
    Form1 form(platform);
    // The window adopts the fake browser's widget, which the fake also owns.
    const auto disown = qScopeGuard([&] { fakes.browser.widget()->setParent(nullptr); });
    QString& sWaveFile = form.alertSound().sWaveFile;
    sWaveFile = wave(QStringLiteral("alert.wav"), test_waves::toneWave(0.5, 880, 0.3));
    int ticks = 0;
    QTimer heartbeat;
    connect(&heartbeat, &QTimer::timeout, [&ticks] { ++ticks; });
    heartbeat.start(20);

    // The sound output on its own: back at once.
    QElapsedTimer clock;
    clock.start();
    sound.play(sWaveFile);
    QVERIFY2(clock.elapsed() < kPromptMs, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(sound.playing(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(!accepted_.isEmpty(), 20000);

    // Two real updates in a row, each with its alert: both period ends scan,
    // show the page and come back while the sound system still hangs.
    const QString page = QStringLiteral("http://watched.invalid/");
    form.Text1->setText(page);
    form.Combo1->setEditText(QStringLiteral("10 sec"));
    form.Check1->setChecked(true);
    form.Command1_Click();
    for (const char* body : {"<html>first</html>", "<html>second version</html>"}) {
        fakes.reader.pages.insert(page.toLatin1(), PageResult{body, 0, {}});
        clock.restart();
        emit form.Timer1->timeout();
        QTRY_COMPARE(form.monitor().sLastPageText, QString::fromLatin1(body));
        QVERIFY2(clock.elapsed() < kPromptMs, qPrintable(QString::number(clock.elapsed())));
    }
    QCOMPARE(fakes.browser.navigated.mid(fakes.browser.navigated.size() - 2),
             (QStringList{page, page}));
    QVERIFY(!form.monitor().bBusy());
    const int ticksAfterScans = ticks;
    QTRY_VERIFY(ticks >= ticksAfterScans + 25);
    QCOMPARE(sound.playing(), 3); // none is over: all still wait on the sound system
    QCOMPARE(closed_.first(), 0);
}

QString TestStuckSoundServer::runHelper(QProcess& child, const QStringList& files,
                                        const QString& tempDir) {
    if (!tempDir.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), tempDir);
        child.setProcessEnvironment(env);
    }
    child.start(QCoreApplication::applicationFilePath(),
                QStringList{QString::fromLatin1(kHelperSwitch)} + files);
    return child.waitForStarted(10000) ? QString() : child.errorString();
}

void TestStuckSoundServer::processEndsAtOnceWhileTheSoundThreadHangs() {
    const qsizetype before = accepted_.size();
    QProcess child;
    QCOMPARE(
        runHelper(child, {wave(QStringLiteral("tone.wav"), test_waves::toneWave(1, 440, 0.3))}),
        QString());
    QTRY_VERIFY_WITH_TIMEOUT(accepted_.size() > before, 20000);
    QElapsedTimer ending;
    ending.start();
    child.write("quit\n");
    QVERIFY(child.waitForFinished(kPromptMs + QtSoundOutput::kFarewellMs));
    QVERIFY2(ending.elapsed() < kPromptMs + QtSoundOutput::kFarewellMs,
             qPrintable(QString::number(ending.elapsed())));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    QCOMPARE(child.readAllStandardOutput(), QByteArray("started 1\n")); // the sound still waited
}

// Once the sound system gives up on the server, the alerts that waited are
// over at once and silently: no second wait for a converted copy of the float
// file, no copy left behind, and the child's events never paused.
void TestStuckSoundServer::hangEndsInSilenceAfterOneWait() {
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString floating =
        wave(QStringLiteral("float.wav"), test_waves::floatToneWave(0.5, 440, 0.3));
    const qsizetype first = accepted_.size();
    QProcess child;
    QCOMPARE(runHelper(child, {floating, floating}, temp.path()), QString());

    QTRY_VERIFY_WITH_TIMEOUT(accepted_.size() > first && closed_[first] > 0, 120000);
    QByteArray out;
    QTRY_VERIFY_WITH_TIMEOUT((out += child.readAllStandardOutput()).contains("over"), kPromptMs);
    const QList<QByteArray> words = out.simplified().split(' ');
    QCOMPARE(words.mid(0, 2), (QList<QByteArray>{"started", "2"}));
    QCOMPARE(words.size(), 6);
    QVERIFY2(words[3].toLongLong() - closed_[first] < kPromptMs, out.constData());
    QVERIFY2(words[5].toLongLong() < kPromptMs, out.constData());
    QCOMPARE(QDir(temp.path()).entryList(QDir::Files), QStringList());
    child.write("quit\n");
    QVERIFY(child.waitForFinished(10000));
    QCOMPARE(child.exitCode(), 0);
}

int main(int argc, char** argv) {
    if (argc >= 2 && qstrcmp(argv[1], kHelperSwitch) == 0)
        return playHelper(argc, argv);
    // The server is named before anything here starts the sound system;
    // children inherit it.
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    const QString socket = home.filePath(QStringLiteral("silent"));
    qputenv("PULSE_SERVER", "unix:" + socket.toLocal8Bit());
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral(".config")).toLocal8Bit());
    QApplication app(argc, argv);
    TestStuckSoundServer test(socket);
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_stuck_sound_server.moc"
