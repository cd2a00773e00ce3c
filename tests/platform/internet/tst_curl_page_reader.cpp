#include "http_test_server.h"
#include "platform/internet/curl_page_reader.h"
#include "reader_rig.h"
#include "test_certificate.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTcpServer>
#include <QtTest>

// What a caller of the reader may count on, and the plain HTTP reads.
class TestCurlPageReader : public QObject {
    Q_OBJECT

private slots:
    void init() {
        server = std::make_unique<HttpTestServer>();
        reader = std::make_unique<CurlPageReader>(CurlTimeouts{300, 1000});
    }
    void cleanup() {
        reader.reset();
        server.reset();
    }

    // A read that fails at once and one that goes to the network end alike:
    // finished() once, from the event loop, and the reader goes on to the
    // next read as if nothing happened.
    void finishedOnceNeverInsideFetch_data() {
        QTest::addColumn<QByteArray>("url");
        QTest::addColumn<QByteArray>("agent");
        QTest::addColumn<int>("code");
        const QByteArray agent = "vigilo-test/1.0";
        QTest::newRow("a page") << QByteArray("{server}/page") << agent << 0;
        QTest::newRow("no url") << QByteArray("just words") << agent << 12005;
        QTest::newRow("bare host") << QByteArray("example.com/page") << agent << 12005;
        QTest::newRow("empty") << QByteArray() << agent << 12005;
        QTest::newRow("http without host") << QByteArray("http://") << agent << 12005;
        QTest::newRow("ftp") << QByteArray("ftp://example.com/file") << agent << 12006;
        QTest::newRow("file") << QByteArray("file:///etc/hostname") << agent << 12006;
        QTest::newRow("mailto") << QByteArray("mailto:someone@example.com") << agent << 12006;
        // A line break in the agent would smuggle headers into the request.
        QTest::newRow("agent with CR LF")
            << QByteArray("{server}/page") << QByteArray("a\r\nX-Injected: yes") << 87;
        QTest::newRow("agent with LF") << QByteArray("{server}/page") << QByteArray("a\nb") << 87;
        QTest::newRow("agent with NUL")
            << QByteArray("{server}/page") << QByteArray("a\0b", 3) << 87;
    }
    void finishedOnceNeverInsideFetch() {
        QFETCH(QByteArray, url);
        QFETCH(QByteArray, agent);
        QFETCH(int, code);
        server->setBody("/page", "the page");
        QSignalSpy finished(reader.get(), &PageReader::finished);
        reader->fetch({url.replace("{server}", server->url({}).toLatin1()), agent, {}});
        QCOMPARE(finished.count(), 0);
        QVERIFY(finished.wait());
        const auto first = finished.takeFirst().at(0).value<PageResult>();
        QCOMPARE(first.error, code);
        QCOMPARE(first.body, code ? QByteArray() : QByteArray("the page"));
        QCOMPARE(server->requestCount("/page"), code ? 0 : 1);

        const Read next = readPage(*reader, server->url("/page").toLatin1());
        QVERIFY(next.done);
        QCOMPARE(next.finishedCount, 1);
        QCOMPARE(finished.count(), 1); // the next read's alone
        QCOMPARE(next.result.body, QByteArray("the page"));
    }

    // A read given up, by abandon() or by the next fetch(), says nothing
    // more: no late page, progress or time-out, even once its idle bound
    // has passed while the next read runs.
    void readGivenUpSaysNothingMore_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("midBody");
        QTest::addColumn<bool>("byFetch");
        for (bool byFetch : {false, true}) {
            const char* how = byFetch ? "next fetch" : "abandon";
            QTest::addRow("%s, waiting for the answer", how) << "/stall" << false << byFetch;
            QTest::addRow("%s, inside the body", how) << "/pieces" << true << byFetch;
            QTest::addRow("%s, before a failure is told", how) << "no url" << false << byFetch;
        }
    }
    void readGivenUpSaysNothingMore() {
        QFETCH(QString, path);
        QFETCH(bool, midBody);
        QFETCH(bool, byFetch);
        CurlPageReader patient(CurlTimeouts{600, 60000});
        server->setStall("/stall");
        server->setPieces("/pieces", {pattern(3000), pattern(3000)}, 60000);
        // Longer than the idle bound in all, with no silence as long.
        server->setPieces("/next", {"n", "e", "x", "t", "!"}, 200);
        QSignalSpy progressed(&patient, &PageReader::progressed);
        QSignalSpy finished(&patient, &PageReader::finished);
        const QByteArray url =
            path.startsWith('/') ? server->url(path).toLatin1() : path.toLatin1();
        patient.fetch({url, "vigilo-test/1.0", {}});
        if (midBody)
            QVERIFY(progressed.wait());
        else if (path == QLatin1String("/stall"))
            QTRY_COMPARE(server->requestCount("/stall"), 1);
        if (!byFetch)
            patient.abandon();
        progressed.clear();

        QElapsedTimer clock;
        clock.start();
        const Read next = readPage(patient, server->url("/next").toLatin1());
        QVERIFY(next.done);
        QVERIFY2(clock.elapsed() > 600, "the abandoned read's idle bound had to pass");
        QCOMPARE(next.result.error, 0);
        QCOMPARE(next.result.body, QByteArray("next!"));
        QCOMPARE(finished.count(), 1);
        QCOMPARE(progressed.count(), next.progress.size());
    }

    // A slot may give up the read it hears of, or begin the next one, from
    // inside the signal: the reader goes on with that next read alone.
    void slotsMayBeginOrGiveUpReads_data() {
        QTest::addColumn<bool>("inFinished");
        QTest::addColumn<bool>("fetchNext");
        QTest::newRow("abandon() in progressed()") << false << false;
        QTest::newRow("fetch() in progressed()") << false << true;
        QTest::newRow("fetch() in finished()") << true << true;
    }
    void slotsMayBeginOrGiveUpReads() {
        QFETCH(bool, inFinished);
        QFETCH(bool, fetchNext);
        server->setBody("/first", pattern(3 * 1024 * 1024));
        server->setBody("/next", "next page");
        QList<PageResult> results;
        connect(reader.get(), &PageReader::finished, this,
                [&](const PageResult& result) { results.append(result); });
        bool done = false;
        const auto act = [&] {
            if (std::exchange(done, true))
                return;
            if (fetchNext)
                reader->fetch({server->url("/next").toLatin1(), "vigilo-test/1.0", {}});
            else
                reader->abandon();
        };
        if (inFinished)
            connect(reader.get(), &PageReader::finished, this, act);
        else
            connect(reader.get(), &PageReader::progressed, this, act);
        reader->fetch({server->url("/first").toLatin1(), "vigilo-test/1.0", {}});
        QTRY_VERIFY(done);
        if (!fetchNext)
            reader->fetch({server->url("/next").toLatin1(), "vigilo-test/1.0", {}});
        QTRY_COMPARE(results.size(), inFinished ? 2 : 1);
        QCOMPARE(results.last().body, QByteArray("next page"));
        if (inFinished)
            QVERIFY(results.first().body == pattern(3 * 1024 * 1024));
    }

    // The page goes into the room the caller lends, unless someone else
    // still holds that buffer: the page kept from before must stay as it was.
    void fillsTheRoomItIsLent() {
        const QByteArray body = pattern(300 * 1024);
        server->setBody("/page", body);
        QByteArray room;
        room.reserve(1024 * 1024);
        const char* const lent = room.constData();
        const Read own = readPage(*reader, server->url("/page").toLatin1(), std::move(room));
        QVERIFY(own.done && own.result.ok());
        QVERIFY(own.result.body == body);
        QCOMPARE(own.result.body.constData(), lent);

        const QByteArray kept = "the page kept from before";
        const Read shared = readPage(*reader, server->url("/page").toLatin1(), kept);
        QVERIFY(shared.result.body == body);
        QCOMPARE(kept, QByteArray("the page kept from before"));
    }

    // Progress tells the decoded total after each piece, and ends at the
    // page's size.
    void progressRisesToThePageSize_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("one piece") << QByteArray("short page");
        QTest::newRow("many pieces") << pattern(3 * 1024 * 1024 + 7);
    }
    void progressRisesToThePageSize() {
        QFETCH(QByteArray, body);
        server->setBody("/page", body);
        const Read read = readPage(*reader, server->url("/page").toLatin1());
        QVERIFY(read.done && read.result.ok());
        QVERIFY(read.result.body == body);
        QVERIFY(!read.progress.isEmpty());
        QCOMPARE(read.progress.last(), body.size());
        QVERIFY(std::is_sorted(read.progress.begin(), read.progress.end(), std::less_equal<>()));
    }

    void readsWholeAndSendsAgent() {
        const QByteArray body = pattern(5000);
        server->setBody("/page", body);
        const Read read = readPage(*reader, server->url("/page").toLatin1());
        QVERIFY(read.done);
        QCOMPARE(read.result.error, 0);
        QCOMPARE(read.result.body, body);
        QVERIFY(server->lastRequestHeaders("/page").contains("User-Agent: vigilo-test/1.0\r\n"));
    }

    void emptyPageIsAPage() {
        server->setBody("/empty", {});
        const Read read = readPage(*reader, server->url("/empty").toLatin1());
        QVERIFY(read.done && read.result.ok());
        QVERIFY(read.result.body.isEmpty());
    }

    // Every read is a fresh download: nothing may answer from a cache.
    void everyReadReachesTheServer() {
        server->setBody("/again", "one");
        for (int i = 0; i < 3; ++i)
            QCOMPARE(readPage(*reader, server->url("/again").toLatin1()).result.body,
                     QByteArray("one"));
        QCOMPARE(server->requestCount("/again"), 3);
    }

    // A page that is gone is a page, one a user wants to hear of.
    void notFoundIsAPage() {
        server->setBody("/gone", "<h1>missing</h1>", 404);
        const Read read = readPage(*reader, server->url("/gone").toLatin1());
        QCOMPARE(read.result.error, 0);
        QCOMPARE(read.result.body, QByteArray("<h1>missing</h1>"));
    }

    void chunkedAndPiecedBodiesArriveWhole() {
        server->setChunked("/chunked", {"<html>", QByteArray(3000, 'x'), "</html>"});
        // Pauses shorter than the idle bound are no failure.
        server->setPieces("/pieces", {"abc", QByteArray(2500, 'y'), "end"}, 50);
        const Read c = readPage(*reader, server->url("/chunked").toLatin1());
        QCOMPARE(c.result.error, 0);
        QCOMPARE(c.result.body, "<html>" + QByteArray(3000, 'x') + "</html>");
        const Read p = readPage(*reader, server->url("/pieces").toLatin1());
        QCOMPARE(p.result.error, 0);
        QCOMPARE(p.result.body, "abc" + QByteArray(2500, 'y') + "end");
    }

    void redirectsAreFollowedButLoopsFail() {
        server->setBody("/target", "arrived");
        server->setRedirect("/moved", "/target");
        server->setRedirect("/loop", "/loop");
        QCOMPARE(readPage(*reader, server->url("/moved").toLatin1()).result.body,
                 QByteArray("arrived"));
        const Read loop = readPage(*reader, server->url("/loop").toLatin1());
        QCOMPARE(loop.result.error, InternetError::RedirectFailed);
        QVERIFY(server->requestCount("/loop") > 1);
    }

    void unreachableServers() {
        QCOMPARE(readPage(*reader, "http://no-such-host.invalid/").result.error,
                 InternetError::NameNotResolved);
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        const QByteArray refused = "http://127.0.0.1:" + QByteArray::number(port) + "/";
        QCOMPARE(readPage(*reader, refused).result.error, InternetError::CannotConnect);
    }

    // Talking TLS to a plain server fails the handshake; the code lies outside
    // the block that has messages, and nothing is ignored to get through.
    void tlsToAPlainServerFails() {
        server->setBody("/page", "plain");
        const QByteArray url = server->url("/page").toLatin1().replace("http://", "https://");
        const Read read = readPage(*reader, url);
        QVERIFY2(read.result.error > 12036, qPrintable(QString::number(read.result.error)));
        QVERIFY(read.result.body.isEmpty());
    }

    void stalledServerTimesOut() {
        server->setStall("/stall");
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(readPage(*reader, server->url("/stall").toLatin1()).result.error,
                 InternetError::Timeout);
        QVERIFY(clock.elapsed() < 5000);
        QCOMPARE(server->requestCount("/stall"), 1);
    }

    // A silence after part of the body ends the read at the idle bound, and
    // what came before it is no page.
    void silenceMidBodyTimesOut() {
        CurlPageReader quick(CurlTimeouts{300, 60000});
        server->setPieces("/halt", {pattern(3000), pattern(100)}, 5000);
        QElapsedTimer clock;
        clock.start();
        const Read read = readPage(quick, server->url("/halt").toLatin1());
        QCOMPARE(read.result.error, InternetError::Timeout);
        QVERIFY(read.result.body.isEmpty());
        QCOMPARE(read.progress.value(0), 3000);
        QVERIFY(clock.elapsed() < 3000);
    }

    // Each byte comes well within the idle bound, so only the overall bound
    // can end it.
    void tricklePastTheOverallBoundTimesOut() {
        server->setTrickle("/slow", QByteArray(400, 'z'), 20);
        const Read read = readPage(*reader, server->url("/slow").toLatin1());
        QCOMPARE(read.result.error, InternetError::Timeout);
        QVERIFY(!read.progress.isEmpty() && read.progress.last() < 400);
    }

    void closeMidBodyIsAFailureNotAnEnd() {
        server->setCloseMidBody("/cut", pattern(10000), 3000);
        const Read read = readPage(*reader, server->url("/cut").toLatin1());
        QCOMPARE(read.result.error, InternetError::ConnectionAborted);
        QVERIFY(read.result.body.isEmpty());
    }

    // Qt's socket layer reports a reset like an orderly close, so either code
    // may come; what matters is that the cut body is a failure.
    void resetMidBodyIsAFailure() {
        server->setResetMidBody("/reset", pattern(10000), 3000);
        const std::int32_t code = readPage(*reader, server->url("/reset").toLatin1()).result.error;
        QVERIFY2(code == InternetError::ConnectionReset || code == InternetError::ConnectionAborted,
                 qPrintable(QString::number(code)));
    }

    // The program may end in the middle of a read: the reader goes at once,
    // and says nothing more.
    void endsWithAReadUnderWay() {
        server->setPieces("/a", {"a1", "a2"}, 60000);
        int heard = 0;
        connect(reader.get(), &PageReader::finished, this, [&] { ++heard; });
        reader->fetch({server->url("/a").toLatin1(), "vigilo-test/1.0", {}});
        QTRY_COMPARE(server->requestCount("/a"), 1);
        QElapsedTimer clock;
        clock.start();
        reader.reset();
        QVERIFY(clock.elapsed() < 5000);
        QCOMPARE(heard, 0);
    }

    // Many reads in a row each come whole and leave nothing behind.
    void manyReadsComeWhole() {
        const QByteArray body = pattern(20000);
        server->setBody("/many", body);
        for (int i = 0; i < 200; ++i) {
            const Read read = readPage(*reader, server->url("/many").toLatin1());
            QVERIFY(read.result.ok());
            QCOMPARE(read.result.body.size(), body.size());
        }
        QCOMPARE(server->requestCount("/many"), 200);
    }

    // The loopback server plays the system's proxy: a plain request goes to
    // it naming the whole URL.
    void plainRequestsGoThroughTheSystemProxy() {
        const QByteArray target = "http://pages.invalid/watched?x=1";
        server->setBody(QString::fromLatin1(target), "through the proxy");
        const QByteArray before = qgetenv("http_proxy");
        const bool had = qEnvironmentVariableIsSet("http_proxy");
        qputenv("http_proxy", server->url({}).toLatin1());
        auto restore = qScopeGuard([&] {
            if (had)
                qputenv("http_proxy", before);
            else
                qunsetenv("http_proxy");
        });
        QCOMPARE(readPage(*reader, target).result.body, QByteArray("through the proxy"));
        const QByteArray request = server->lastRequestHeaders(QString::fromLatin1(target));
        QVERIFY(request.startsWith("GET " + target + " HTTP/1.1\r\n"));
        QVERIFY(request.contains("\r\nHost: pages.invalid\r\n"));
    }

    // Cookies set on the way are sent on; credentials in the address answer
    // the server's challenge, Basic or Digest, and go to their own server only.
    void cookiesAndCredentials() {
        HttpTestServer other;
        server->setRaw("/login", "HTTP/1.1 302 Found\r\nSet-Cookie: visit=7; Path=/\r\n"
                                 "Location: /home\r\nContent-Length: 0\r\n\r\n");
        server->setBody("/home", "home");
        const QByteArray challenge = "HTTP/1.1 401 Unauthorized\r\nContent-Length: 6\r\n";
        server->setRaw("/basic", challenge + "WWW-Authenticate: Basic realm=\"v\"\r\n\r\ndenied");
        server->setRaw("/digest", challenge + "WWW-Authenticate: Digest realm=\"v\", nonce=\"n1\", "
                                              "qop=\"auth\"\r\n\r\ndenied");
        other.setRaw("/there", challenge + "WWW-Authenticate: Basic realm=\"v\"\r\n\r\ndenied");
        server->setRedirect("/away", other.url("/there"));
        auto withUser = [](QString url) {
            return url.replace("http://", "http://user:pw@").toLatin1();
        };
        QCOMPARE(readPage(*reader, withUser(server->url("/login"))).result.body,
                 QByteArray("home"));
        QVERIFY(server->lastRequestHeaders("/home").contains("\r\nCookie: visit=7\r\n"));
        const QByteArray host =
            "\r\nHost: 127.0.0.1:" + QByteArray::number(server->port()) + "\r\n";
        QVERIFY(server->lastRequestHeaders("/home").contains(host));
        // ...and on the next read, while the program runs.
        QCOMPARE(readPage(*reader, server->url("/home").toLatin1()).result.body,
                 QByteArray("home"));
        QCOMPARE(server->requestCount("/home"), 2);
        QVERIFY(server->lastRequestHeaders("/home").contains("\r\nCookie: visit=7\r\n"));

        QCOMPARE(readPage(*reader, withUser(server->url("/basic"))).result.body,
                 QByteArray("denied"));
        QCOMPARE(server->requestCount("/basic"), 2);
        QVERIFY(server->lastRequestHeaders("/basic").contains(
            "\r\nAuthorization: Basic dXNlcjpwdw==\r\n"));
        QCOMPARE(readPage(*reader, withUser(server->url("/digest"))).result.body,
                 QByteArray("denied"));
        QVERIFY(server->lastRequestHeaders("/digest").contains(
            "\r\nAuthorization: Digest username=\"user\""));

        QCOMPARE(readPage(*reader, withUser(server->url("/away"))).result.body,
                 QByteArray("denied"));
        QCOMPARE(other.requestCount("/there"), 1);
        QVERIFY(!other.lastRequestHeaders("/there").contains("Authorization"));
    }

    // Between period ends the connection stays open for the next read.
    void twoReadsOverOneKeptConnection_data() {
        QTest::addColumn<bool>("tls");
        QTest::newRow("plain") << false;
        QTest::newRow("TLS") << true;
    }
    void twoReadsOverOneKeptConnection() {
        QFETCH(bool, tls);
        auto pages = tls ? std::make_unique<HttpTestServer>(testServerTls())
                         : std::make_unique<HttpTestServer>();
        TrustedTestCertificate trusted;
        pages->setKeptAlive("/kept", "same page");
        for (int i = 0; i < 2; ++i)
            QCOMPARE(readPage(*reader, pages->url("/kept").toLatin1()).result.body,
                     QByteArray("same page"));
        QCOMPARE(pages->requestCount("/kept"), 2);
        QCOMPARE(pages->acceptedConnections(), 1);
    }

    void tenMegabytesArriveIntact() {
        CurlPageReader roomy(CurlTimeouts{5000, 60000});
        const QByteArray body = pattern(10 * 1024 * 1024);
        server->setBody("/big", body);
        const Read read = readPage(roomy, server->url("/big").toLatin1());
        QVERIFY(read.result.ok());
        QVERIFY(read.result.body == body);
    }

private:
    std::unique_ptr<HttpTestServer> server;
    std::unique_ptr<CurlPageReader> reader;
};

QTEST_MAIN(TestCurlPageReader)
#include "tst_curl_page_reader.moc"
