#include "fetcher_rig.h"

#include <QFile>
#include <QtTest>

namespace {

// Says it read more than it was given room for.
class OverreportingInternet : public FakeInternet {
public:
    bool InternetReadFile(InternetHandle url, char* buffer, std::uint32_t toRead,
                          std::uint32_t* bytesRead) override {
        bool ok = FakeInternet::InternetReadFile(url, buffer, toRead, bytesRead);
        *bytesRead = toRead * 2;
        return ok;
    }
};

// An endless page of full chunks, never storing what it hands out.
class EndlessInternet : public FakeInternet {
public:
    bool InternetReadFile(InternetHandle, char* buffer, std::uint32_t toRead,
                          std::uint32_t* bytesRead) override {
        std::memset(buffer, 'x', toRead);
        *bytesRead = toRead;
        return true;
    }
};

// Virtual size of this process in MiB: what it has set aside, touched or not.
double virtualMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmSize:"))
            return line.mid(7).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

} // namespace

class TestCNetGetSession : public QObject {
    Q_OBJECT

private slots:
    void initUsesTheProgramNameAsAgent() {
        FakeInternet internet;
        FetcherRig rig(internet);
        rig.program.exeName_ = "watcher";
        rig.net.Init();
        QCOMPARE(internet.lastAgent, QByteArray("watcher"));
        rig.net.Init(QStringLiteral("Custom Agent 2.0"));
        QCOMPARE(internet.lastAgent, QByteArray("Custom Agent 2.0"));
    }

    // The first Init finds no session to close: the failure is recorded and
    // then cleared again.
    void firstInitLeavesNoError() {
        FakeInternet internet;
        FetcherRig rig(internet);
        rig.net.Init();
        QCOMPARE(rig.net.GetLastError(), QString());
        QCOMPARE(internet.calls.value(0), QStringLiteral("close 0"));
    }

    void secondInitClosesTheFirstSessionAndEmptiesState() {
        FakeInternet internet;
        internet.pages["http://a/"] = {"  page  "};
        internet.pages["http://bad/"] = {{}, InternetError::Timeout};
        FetcherRig rig(internet);
        rig.net.Init();
        QVERIFY(rig.net.ReadUrl("http://a/"));
        QVERIFY(!rig.net.ReadUrl("http://bad/"));
        QCOMPARE(rig.net.GetRawHTML(), QStringLiteral("page"));
        QCOMPARE(rig.net.GetLastError(), QStringLiteral("The request has timed out."));
        rig.status.texts.clear();
        internet.calls.clear();
        rig.net.Init();
        QCOMPARE(internet.calls.value(0), QStringLiteral("close 256"));
        QCOMPARE(rig.status.texts, QStringList{"Ready"});
        QCOMPARE(rig.net.GetRawHTML(), QString());
        QCOMPARE(rig.net.GetLastError(), QString());
        QVERIFY(rig.net.ReadUrl("http://a/"));
    }

    void failedSessionShowsAtTheNextRead() {
        FakeInternet internet;
        internet.failSessionOpen = true;
        internet.pages["http://a/"] = {"x"};
        FetcherRig rig(internet);
        rig.net.Init();
        QCOMPARE(rig.net.GetLastError(), QString());
        QVERIFY(!rig.net.ReadUrl("http://a/"));
        QCOMPARE(rig.net.GetLastError(), QStringLiteral("Error details not available."));
    }

    void termTwiceRecordsTheSecondFailure() {
        FakeInternet internet;
        FetcherRig rig(internet);
        rig.net.Init();
        rig.status.texts.clear();
        rig.net.Term();
        QCOMPARE(rig.status.texts, QStringList{"Ready"});
        QCOMPARE(rig.net.GetLastError(), QString());
        rig.net.Term();
        QCOMPARE(rig.status.texts, QStringList{"Ready"});
        QCOMPARE(rig.net.GetLastError(), QStringLiteral("Error details not available."));
    }

    // The destructor closes the session but lets no window events run: the
    // owner is already going away.
    void destructionClosesTheSessionQuietly() {
        FakeInternet internet;
        FakeBusyPointer pointer;
        FakeEventPump events;
        FakeProgram program;
        auto net = std::make_unique<CNetGet>(internet, pointer, events, program);
        net->Init();
        internet.calls.clear();
        const int before = events.count;
        net.reset();
        QCOMPARE(internet.calls, QStringList{"close 256"});
        QCOMPARE(events.count, before);
    }

    void statusWindowThatGoesAwayIsForgotten() {
        FakeInternet internet;
        internet.pages["http://a/"] = {"x"};
        FetcherRig rig(internet);
        rig.net.Init();
        auto* window = new StatusRecorder;
        rig.net.SetStatusWindow(window);
        delete window;
        QVERIFY(rig.net.ReadUrl("http://a/"));
        QVERIFY(rig.events.count > 0);
    }

    // The announced length only sizes the buffer: a header that promises far
    // more, or fewer bytes than come, still gives the page that came, and a
    // lying one does not make the reader set gigabytes aside.
    void announcedLengthIsOnlyAHint_data() {
        QTest::addColumn<qint64>("announced");
        QTest::newRow("none") << qint64{-1};
        QTest::newRow("zero") << qint64{0};
        QTest::newRow("fewer") << qint64{100};
        QTest::newRow("exact") << qint64{5000};
        QTest::newRow("4 GiB") << (qint64{1} << 32);
        QTest::newRow("1 TiB") << (qint64{1} << 40);
    }
    void announcedLengthIsOnlyAHint() {
        QFETCH(qint64, announced);
        QByteArray body;
        for (int i = 0; i < 5000; ++i)
            body.append(static_cast<char>('a' + i % 26));
        FakeInternet internet;
        internet.pages["http://a/"] = {body};
        internet.pages["http://a/"].announcedLength = announced;
        FetcherRig rig(internet);
        rig.net.Init();
        const double before = virtualMb();
        QVERIFY(rig.net.ReadUrl("http://a/"));
        QVERIFY(virtualMb() - before < 512);
        QCOMPARE(rig.net.GetRawHTML(), QString::fromLatin1(body));
        QCOMPARE(rig.net.GetLastError(), QString());
    }

    void overreportedCountIsAFailureNotAnOverrun() {
        OverreportingInternet internet;
        internet.pages["http://a/"] = {"abc"};
        FetcherRig rig(internet);
        rig.net.Init();
        internet.calls.clear();
        QVERIFY(!rig.net.ReadUrl("http://a/"));
        QCOMPARE(rig.net.GetLastError(), QStringLiteral("Internal error"));
        QCOMPARE(rig.pointer.calls.last(), QStringLiteral("restore"));
        QCOMPARE(internet.calls.filter("close").size(), 1);
    }

    // The byte total is a signed 32-bit count; past it the read stops with a
    // clear error instead of wrapping round.
    void byteTotalOverflowStopsTheRead() {
        EndlessInternet internet;
        internet.pages["http://endless/"] = {};
        FetcherRig rig(internet);
        rig.net.SetStatusWindow(nullptr);
        rig.net.Init();
        QVERIFY(!rig.net.ReadUrl("http://endless/", QStringLiteral("/dev/null")));
        QCOMPARE(rig.net.GetLastError(), QStringLiteral("Overflow"));
        QCOMPARE(rig.pointer.calls.last(), QStringLiteral("restore"));
        // "Opening", then one status for each of the 1048575 full chunks that fit.
        QCOMPARE(rig.events.count, 1 + 1048575);
    }
};

QTEST_MAIN(TestCNetGetSession)
#include "tst_cnetget_session.moc"
