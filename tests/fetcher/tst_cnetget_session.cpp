#include "fetcher_rig.h"

#include <QtTest>

// The session around the reads: Init, Term, the agent and the status window.
class TestCNetGetSession : public QObject {
    Q_OBJECT

private slots:
    void initNamesTheAgent() {
        FetcherRig rig;
        rig.program.exeName_ = "watcher";
        rig.net.Init();
        rig.net.ReadUrl("http://a/");
        rig.net.Init(QStringLiteral("Custom Agent 2.0"));
        rig.net.ReadUrl("http://a/");
        rig.net.SetUserAgent(QString()); // an empty name changes nothing
        rig.net.ReadUrl("http://a/");
        rig.net.SetUserAgent(QStringLiteral("Later"));
        rig.net.ReadUrl("http://a/");
        QCOMPARE(rig.reader.requests.size(), 4);
        QCOMPARE(rig.reader.requests[0].agent, QByteArray("watcher"));
        QCOMPARE(rig.reader.requests[1].agent, QByteArray("Custom Agent 2.0"));
        QCOMPARE(rig.reader.requests[2].agent, QByteArray("Custom Agent 2.0"));
        QCOMPARE(rig.reader.requests[3].agent, QByteArray("Later"));
    }

    // The first Init finds no session to close: the failure is recorded and
    // then cleared again. A second one closes the first session, abandoning
    // its read, and empties the page and the error.
    void initClosesAnEarlierSessionAndEmptiesState() {
        FetcherRig rig;
        rig.net.Init();
        QCOMPARE(rig.net.GetLastError(), QString());
        rig.net.ReadUrl("http://a/");
        rig.reader.finish("  page  ");
        rig.net.ReadUrl("http://bad/");
        rig.reader.fail(InternetError::Timeout);
        QCOMPARE(rig.net.GetRawHTML(), QStringLiteral("page"));
        QCOMPARE(rig.net.GetLastError(), QStringLiteral("The request has timed out."));
        rig.net.ReadUrl("http://slow/");
        rig.status.texts.clear();
        rig.net.Init();
        QCOMPARE(rig.reader.abandoned, 1);
        QCOMPARE(rig.status.texts, QStringList{"Ready"});
        QCOMPARE(rig.net.GetRawHTML(), QString());
        QCOMPARE(rig.net.GetLastError(), QString());
        rig.finished.clear();
        rig.net.ReadUrl("http://a/");
        rig.reader.finish("again");
        QCOMPARE(rig.outcome(), std::optional<bool>(true));
    }

    // Without a session a read fails as one on a stale handle does, without
    // reaching the reader; closing twice records the second failure.
    void termClosesTheSession() {
        FetcherRig rig;
        rig.net.Init();
        rig.status.texts.clear();
        rig.net.Term();
        QCOMPARE(rig.status.texts, QStringList{"Ready"});
        QCOMPARE(rig.net.GetLastError(), QString());
        rig.net.Term();
        QCOMPARE(rig.status.texts, QStringList{"Ready"});
        QCOMPARE(rig.net.GetLastError(), QStringLiteral("Error details not available."));

        rig.net.ReadUrl("http://a/");
        QTRY_COMPARE(rig.finished.size(), 1);
        QCOMPARE(rig.outcome(), std::optional<bool>(false));
        QCOMPARE(rig.reader.requests.size(), 0);
    }

    void statusWindowThatGoesAwayIsForgotten() {
        FetcherRig rig;
        rig.net.Init();
        auto* window = new StatusRecorder;
        rig.net.SetStatusWindow(window);
        delete window;
        rig.net.ReadUrl("http://a/");
        rig.reader.progress(10);
        rig.reader.finish("x");
        QCOMPARE(rig.outcome(), std::optional<bool>(true));
    }
};

QTEST_MAIN(TestCNetGetSession)
#include "tst_cnetget_session.moc"
