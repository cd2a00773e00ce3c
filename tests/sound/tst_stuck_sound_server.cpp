// A sound server that takes connections and never answers: the sound system
// hangs inside its connection until its own timeout. None of that may reach
// the window: the alert returns at once, events keep flowing, scans go on, and
// the process still ends at once.

#include "fake_platform.h"
#include "http_test_server.h"
#include "mainwindow/form1.h"
#include "mainwindow/interval_timer.h"
#include "platform/qt_internet.h"
#include "platform/qt_media_service.h"
#include "sound/wave_file.h"
#include "test_waves.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cstdio>
#include <memory>

#include <unistd.h>

namespace {

constexpr const char* kHelperSwitch = "--play-while-stuck";
// Far below the sound system's own timeout (30 s), far above a busy machine's
// scheduling hiccups.
constexpr int kPromptMs = 3000;

qint64 now() {
    return QDateTime::currentMSecsSinceEpoch();
}

// Takes every connection and never writes a byte; notes when each client
// came and when it gave up.
class SilentSoundServer {
public:
    explicit SilentSoundServer(const QString& path) {
        QObject::connect(&server_, &QLocalServer::newConnection, [this] {
            while (QLocalSocket* socket = server_.nextPendingConnection()) {
                const qsizetype index = accepted.size();
                accepted.append(now());
                gaveUp.append(0);
                QObject::connect(socket, &QLocalSocket::readyRead, socket,
                                 [socket] { socket->readAll(); });
                QObject::connect(socket, &QLocalSocket::disconnected, socket,
                                 [this, index] { gaveUp[index] = now(); });
            }
        });
        listening = server_.listen(path);
    }

    bool listening = false;
    QList<qint64> accepted; // when each connection came, ms since the epoch
    QList<qint64> gaveUp;   // when its client closed it, 0 while it waits

private:
    QLocalServer server_;
};

// Counts the ticks of a fast timer and the longest pause between two.
struct Heartbeat {
    Heartbeat() {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (ticks > 0)
                longestGapMs = std::max(longestGapMs, sinceLast.elapsed());
            sinceLast.start();
            ++ticks;
        });
        timer.start(20);
    }
    QTimer timer;
    QElapsedTimer sinceLast;
    int ticks = 0;
    qint64 longestGapMs = 0;
};

bool writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

// Runs in the child: plays each file named after the switch, says when no
// sound is left, and returns from main when told "quit" on its input.
int playHelper(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    Heartbeat heart;
    auto media = std::make_unique<QtMediaService>();
    for (int i = 2; i < argc; ++i)
        std::printf("result %d\n",
                    media->mciSendString(QByteArrayLiteral("play ") + QByteArray(argv[i])));
    std::fflush(stdout);
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (media->playing() == 0) {
            std::printf("over %lld gap %lld\n", now(), heart.longestGapMs);
            std::fflush(stdout);
            watch.stop();
        }
    });
    watch.start(10);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char line[64];
        const ssize_t n = ::read(STDIN_FILENO, line, sizeof line);
        if (n <= 0 || QByteArray(line, n).startsWith("quit"))
            app.quit();
    });
    app.exec();
    media.reset();
    return 0;
}

} // namespace

class TestStuckSoundServer : public QObject {
    Q_OBJECT

public:
    explicit TestStuckSoundServer(const QString& socket) : server_(socket) {}

private slots:
    void initTestCase();
    void alertReturnsAtOnceAndEventsFlow();
    void windowScansAreNotHeldUp();
    void processEndsAtOnceWhileTheSoundThreadHangs();
    void hangEndsInSilenceWithNothingLeftBehind();

private:
    QString wave(const QString& name, const QByteArray& data);
    std::unique_ptr<QProcess> startHelper(const QStringList& files);

    SilentSoundServer server_;
    QTemporaryDir dir_;
};

void TestStuckSoundServer::initTestCase() {
    QVERIFY(server_.listening);
    QVERIFY(dir_.isValid());
}

QString TestStuckSoundServer::wave(const QString& name, const QByteArray& data) {
    const QString path = dir_.filePath(name);
    return writeFile(path, data) ? path : QString();
}

std::unique_ptr<QProcess> TestStuckSoundServer::startHelper(const QStringList& files) {
    auto child = std::make_unique<QProcess>();
    child->start(QCoreApplication::applicationFilePath(),
                 QStringList{QString::fromLatin1(kHelperSwitch)} + files);
    return child;
}

void TestStuckSoundServer::alertReturnsAtOnceAndEventsFlow() {
    const QString path = wave(QStringLiteral("tone.wav"), test_waves::toneWave(1.0, 440, 0.3));
    QVERIFY(!path.isEmpty());
    Heartbeat heart;
    auto media = std::make_unique<QtMediaService>();

    QElapsedTimer call;
    call.start();
    QCOMPARE(media->mciSendString("play " + path.toLatin1()), int(QtMediaService::Ok));
    QCOMPARE(media->mciSendString("play " + path.toLatin1()), int(QtMediaService::Ok));
    QVERIFY2(call.elapsed() < kPromptMs, qPrintable(QString::number(call.elapsed())));

    // The sound system is now waiting on the server; the window is not.
    QTRY_VERIFY_WITH_TIMEOUT(!server_.accepted.isEmpty(), 20000);
    const int ticksAtHang = heart.ticks;
    QTRY_VERIFY(heart.ticks >= ticksAtHang + 25);
    QVERIFY2(heart.longestGapMs < kPromptMs, qPrintable(QString::number(heart.longestGapMs)));
    QCOMPARE(media->playing(), 2);

    // Letting go of the service does not wait for the sound system either.
    call.restart();
    media.reset();
    QVERIFY2(call.elapsed() < kPromptMs, qPrintable(QString::number(call.elapsed())));
}

void TestStuckSoundServer::windowScansAreNotHeldUp() {
    const QString path = wave(QStringLiteral("alert.wav"), test_waves::toneWave(0.5, 880, 0.3));
    QVERIFY(!path.isEmpty());
    HttpTestServer web;
    QtInternet internet({2000, 20000});
    QtMediaService media;
    FakePlatform fakes;
    fakes.internetOverride = &internet;
    Platform platform = fakes.platform();
    platform.media = &media;
    Form1 form(platform);
    // The window adopts the fake browser's widget, which the fake also owns.
    const auto disown = qScopeGuard([&] { fakes.browser.widget()->setParent(nullptr); });
    sWaveFile = path;
    Heartbeat heart;

    web.setBody("/page", "<html>first</html>");
    form.Text1->setText(web.url("/page"));
    form.Combo1->setEditText(QStringLiteral("10 sec"));
    form.Check1->setChecked(true);
    form.Command1_Click();
    QCOMPARE(form.Command1->text(), QStringLiteral("Stop"));

    // Two real updates in a row, each with its alert, while the sound system
    // hangs: both period ends scan, show the page and come back.
    QElapsedTimer periodEnd;
    periodEnd.start();
    emit form.Timer1->timeout();
    QVERIFY2(periodEnd.elapsed() < kPromptMs, qPrintable(QString::number(periodEnd.elapsed())));
    QTRY_VERIFY_WITH_TIMEOUT(!server_.accepted.isEmpty(), 20000);
    web.setBody("/page", "<html>second version</html>");
    periodEnd.restart();
    emit form.Timer1->timeout();
    QVERIFY2(periodEnd.elapsed() < kPromptMs, qPrintable(QString::number(periodEnd.elapsed())));

    QCOMPARE(web.requestCount("/page"), 2);
    QCOMPARE(form.sLastPageText, QStringLiteral("<html>second version</html>"));
    QCOMPARE(fakes.browser.navigated.mid(fakes.browser.navigated.size() - 2),
             (QStringList{web.url("/page"), web.url("/page")}));
    QVERIFY(!form.bBusy);
    QCOMPARE(media.playing(), 2); // both alerts still wait on the sound system
    const int ticks = heart.ticks;
    QTRY_VERIFY(heart.ticks >= ticks + 25);
    QVERIFY2(heart.longestGapMs < kPromptMs, qPrintable(QString::number(heart.longestGapMs)));
}

void TestStuckSoundServer::processEndsAtOnceWhileTheSoundThreadHangs() {
    const QString path = wave(QStringLiteral("tone.wav"), test_waves::toneWave(1.0, 440, 0.3));
    const qsizetype before = server_.accepted.size();
    const qint64 started = now();
    auto child = startHelper({path});
    QVERIFY(child->waitForStarted(10000));
    // Its sound thread is inside the hanging connection when it is told to go.
    QTRY_VERIFY_WITH_TIMEOUT(server_.accepted.size() > before && server_.accepted.last() > started,
                             20000);
    QElapsedTimer ending;
    ending.start();
    child->write("quit\n");
    QVERIFY(child->waitForFinished(kPromptMs + QtMediaService::kFarewellMs));
    QVERIFY2(ending.elapsed() < kPromptMs + QtMediaService::kFarewellMs,
             qPrintable(QString::number(ending.elapsed())));
    const QByteArray out = child->readAllStandardOutput();
    QCOMPARE(child->exitStatus(), QProcess::NormalExit);
    QVERIFY2(child->exitCode() == 0, child->readAllStandardError().constData());
    QVERIFY2(out.startsWith("result 0\n"), out.constData());
    QVERIFY2(!out.contains("over"), out.constData()); // the sound was still waiting
}

// Once the sound system gives up on the server, every alert that waited is
// over at once, silently: no second wait for a converted copy, no copy left
// behind, and the child's window events never paused.
void TestStuckSoundServer::hangEndsInSilenceWithNothingLeftBehind() {
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString pcm = wave(QStringLiteral("pcm.wav"), test_waves::toneWave(0.5, 440, 0.3));
    const QString floating =
        wave(QStringLiteral("float.wav"), test_waves::floatToneWave(0.5, 440, 0.3));
    const qsizetype before = server_.accepted.size();
    const qint64 started = now();
    auto child = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), temp.path());
    child->setProcessEnvironment(env);
    child->start(QCoreApplication::applicationFilePath(),
                 {QString::fromLatin1(kHelperSwitch), floating, pcm, floating});
    QVERIFY(child->waitForStarted(10000));

    QByteArray out;
    QTRY_VERIFY_WITH_TIMEOUT((out += child->readAllStandardOutput()).contains("over"), 120000);
    QCOMPARE(out.count("result 0\n"), 3);
    // The child's connection is the only one made meanwhile.
    QVERIFY(server_.accepted.size() > before && server_.accepted[before] >= started);
    const qint64 gaveUp = server_.gaveUp[before];
    QVERIFY2(gaveUp > 0, "the sound system still waits, yet no sound is left");

    const QList<QByteArray> over = out.mid(out.indexOf("over")).simplified().split(' ');
    QCOMPARE(over.size(), 4);
    const qint64 overAt = over[1].toLongLong();
    QVERIFY2(overAt - gaveUp < kPromptMs, qPrintable(QString::number(overAt - gaveUp)));
    QVERIFY2(over[3].toLongLong() < kPromptMs, over[3].constData());
    QVERIFY(QDir(temp.path()).entryList(QDir::Files | QDir::NoDotAndDotDot).isEmpty());

    child->write("quit\n");
    QVERIFY(child->waitForFinished(10000));
    QCOMPARE(child->exitCode(), 0);
}

int main(int argc, char** argv) {
    if (argc >= 2 && qstrcmp(argv[1], kHelperSwitch) == 0)
        return playHelper(argc, argv);
    // The server must be named before anything in this process starts the
    // sound system; children inherit it.
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    const QString socket = home.filePath(QStringLiteral("silent"));
    qputenv("PULSE_SERVER", "unix:" + socket.toLocal8Bit());
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral(".config")).toLocal8Bit());
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    QApplication app(argc, argv);
    TestStuckSoundServer test(socket);
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_stuck_sound_server.moc"
