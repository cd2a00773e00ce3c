#include "coded_body.h"
#include "http_test_server.h"
#include "platform/internet/curl_internet.h"
#include "platform/internet/internet_error_map.h"
#include "test_certificate.h"

#include <QScopeGuard>
#include <QTcpServer>
#include <QTimer>
#include <QtTest>

namespace {

struct Download {
    QByteArray body;
    QList<std::uint32_t> counts; // what each read reported, the final 0 included
    bool ok = true;
    std::int32_t error = 0;
};

// Reads to the end; with `events`, lets pending events run after each read,
// as the fetcher does.
Download readAll(CurlInternet& net, InternetHandle url, bool events = false) {
    Download d;
    char buffer[2048];
    for (;;) {
        if (events && !d.counts.isEmpty())
            QCoreApplication::processEvents();
        std::uint32_t n = 0;
        if (!net.InternetReadFile(url, buffer, sizeof buffer, &n)) {
            d.ok = false;
            d.error = net.lastError();
            d.body.append(buffer, n);
            return d;
        }
        d.counts.append(n);
        d.body.append(buffer, n);
        if (n == 0)
            return d;
    }
}

QByteArray pattern(qsizetype size) {
    QByteArray b(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        b[i] = static_cast<char>('a' + (i * 7 + i / 251) % 26);
    return b;
}

const QByteArray kHead = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n";

// A hand-written answer, the body framed in chunks of `piece` bytes, each
// chunk sent as one piece.
QList<QByteArray> chunkedAnswer(const QByteArray& body, qsizetype piece) {
    QList<QByteArray> out{kHead + "Transfer-Encoding: chunked\r\n\r\n"};
    for (qsizetype at = 0; at < body.size(); at += piece) {
        const QByteArray chunk = body.mid(at, piece);
        out.append(QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n");
    }
    out.append("0\r\n\r\n");
    return out;
}

// No length and no chunks: the body ends where the server closes.
QList<QByteArray> closeDelimitedAnswer(const QByteArray& body, qsizetype piece) {
    QList<QByteArray> out{kHead + "\r\n"};
    for (qsizetype at = 0; at < body.size(); at += piece)
        out.append(body.mid(at, piece));
    return out;
}

QByteArray chunkedHead() {
    return kHead + "Transfer-Encoding: chunked\r\n\r\n";
}

QByteArray lengthHead(qsizetype length, const QByteArray& extra = {}) {
    return kHead + extra + "Content-Length: " + QByteArray::number(length) + "\r\n\r\n";
}

QByteArray codedAnswer(const QByteArray& coding, const QByteArray& body) {
    return lengthHead(body.size(), "Content-Encoding: " + coding + "\r\n") + body;
}

// A failed download's handle stays failed rather than pretending the body
// ended, and still closes.
void staysFailed(CurlInternet& net, InternetHandle url) {
    char buffer[16];
    std::uint32_t n = 99;
    QVERIFY(!net.InternetReadFile(url, buffer, sizeof buffer, &n));
    QCOMPARE(n, 0u);
    QVERIFY(net.InternetCloseHandle(url));
}

} // namespace

class TestCurlInternet : public QObject {
    Q_OBJECT

private slots:
    void init() {
        server = std::make_unique<HttpTestServer>();
        net = std::make_unique<CurlInternet>(CurlInternet::Timeouts{300, 1000});
        session = net->InternetOpen("vigilo-test/1.0");
        QVERIFY(session != 0);
    }
    void cleanup() {
        net.reset();
        server.reset();
    }

    void readsWholeChunksAndSendsAgent() {
        const QByteArray body = pattern(5000);
        server->setBody("/page", body);
        InternetHandle url = net->InternetOpenUrl(session, server->url("/page").toLatin1());
        QVERIFY(url != 0);
        QCOMPARE(net->lastError(), 0);
        Download d = readAll(*net, url);
        QVERIFY(d.ok);
        QCOMPARE(d.body, body);
        QCOMPARE(d.counts, (QList<std::uint32_t>{2048, 2048, 904, 0}));
        QVERIFY(net->InternetCloseHandle(url));
        QVERIFY(server->lastRequestHeaders("/page").contains("User-Agent: vigilo-test/1.0\r\n"));
    }

    void emptyAndExactBodies() {
        server->setBody("/empty", {});
        server->setBody("/exact", pattern(2048));
        Download empty =
            readAll(*net, net->InternetOpenUrl(session, server->url("/empty").toLatin1()));
        QVERIFY(empty.ok);
        QCOMPARE(empty.counts, QList<std::uint32_t>{0});
        Download exact =
            readAll(*net, net->InternetOpenUrl(session, server->url("/exact").toLatin1()));
        QVERIFY(exact.ok);
        QCOMPARE(exact.counts, (QList<std::uint32_t>{2048, 0}));
    }

    // Every read is a fresh download: nothing may answer from a cache.
    void everyOpenReachesTheServer() {
        server->setBody("/again", "one");
        for (int i = 0; i < 3; ++i) {
            InternetHandle url = net->InternetOpenUrl(session, server->url("/again").toLatin1());
            QCOMPARE(readAll(*net, url).body, QByteArray("one"));
            net->InternetCloseHandle(url);
        }
        QCOMPARE(server->requestCount("/again"), 3);
    }

    void errorStatusStillOpensWithItsBody() {
        server->setBody("/gone", "<h1>missing</h1>", 404);
        server->setBody("/broken", "oops", 500);
        InternetHandle url = net->InternetOpenUrl(session, server->url("/gone").toLatin1());
        QVERIFY(url != 0);
        QCOMPARE(readAll(*net, url).body, QByteArray("<h1>missing</h1>"));
        url = net->InternetOpenUrl(session, server->url("/broken").toLatin1());
        QVERIFY(url != 0);
        Download d = readAll(*net, url);
        QVERIFY(d.ok);
        QCOMPARE(d.body, QByteArray("oops"));
    }

    void chunkedAndPiecedBodiesArriveWhole() {
        server->setChunked("/chunked", {"<html>", QByteArray(3000, 'x'), "</html>"});
        server->setPieces("/pieces", {"abc", QByteArray(2500, 'y'), "end"}, 50);
        Download c =
            readAll(*net, net->InternetOpenUrl(session, server->url("/chunked").toLatin1()));
        QVERIFY(c.ok);
        QCOMPARE(c.body, "<html>" + QByteArray(3000, 'x') + "</html>");
        // Pauses shorter than the idle bound are no failure, and a read
        // returns a short count only at the end of the body.
        Download p =
            readAll(*net, net->InternetOpenUrl(session, server->url("/pieces").toLatin1()));
        QVERIFY(p.ok);
        QCOMPARE(p.body, "abc" + QByteArray(2500, 'y') + "end");
        QCOMPARE(p.counts, (QList<std::uint32_t>{2048, 458, 0}));
    }

    void redirectsAreFollowedButLoopsFail() {
        server->setBody("/target", "arrived");
        server->setRedirect("/moved", "/target");
        server->setRedirect("/loop", "/loop");
        InternetHandle url = net->InternetOpenUrl(session, server->url("/moved").toLatin1());
        QVERIFY(url != 0);
        QCOMPARE(readAll(*net, url).body, QByteArray("arrived"));

        QCOMPARE(net->InternetOpenUrl(session, server->url("/loop").toLatin1()), InternetHandle{0});
        const std::int32_t code = net->lastError();
        QVERIFY2(code > 12036, qPrintable(QString::number(code)));
        QVERIFY(server->requestCount("/loop") > 1);
    }

    void badUrlsAndSchemes_data() {
        QTest::addColumn<QByteArray>("url");
        QTest::addColumn<int>("code");
        QTest::newRow("no url") << QByteArray("just words") << 12005;
        QTest::newRow("bare host") << QByteArray("example.com/page") << 12005;
        QTest::newRow("empty") << QByteArray() << 12005;
        QTest::newRow("http without host") << QByteArray("http://") << 12005;
        QTest::newRow("ftp") << QByteArray("ftp://example.com/file") << 12006;
        QTest::newRow("file") << QByteArray("file:///etc/hostname") << 12006;
        QTest::newRow("mailto") << QByteArray("mailto:someone@example.com") << 12006;
    }
    void badUrlsAndSchemes() {
        QFETCH(QByteArray, url);
        QFETCH(int, code);
        QCOMPARE(net->InternetOpenUrl(session, url), InternetHandle{0});
        QCOMPARE(net->lastError(), code);
    }

    void unreachableServers() {
        QCOMPARE(net->InternetOpenUrl(session, "http://no-such-host.invalid/"), InternetHandle{0});
        QCOMPARE(net->lastError(), InternetError::NameNotResolved);

        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        const QByteArray refused = "http://127.0.0.1:" + QByteArray::number(port) + "/";
        QCOMPARE(net->InternetOpenUrl(session, refused), InternetHandle{0});
        QCOMPARE(net->lastError(), InternetError::CannotConnect);
    }

    // Talking TLS to a plain server fails the handshake; the code lies outside
    // the block that has messages, and nothing is ignored to get through.
    void tlsFailureIsNotAnHttpSuccess() {
        server->setBody("/page", "plain");
        QByteArray url = server->url("/page").toLatin1().replace("http://", "https://");
        QCOMPARE(net->InternetOpenUrl(session, url), InternetHandle{0});
        QVERIFY2(net->lastError() > 12036, qPrintable(QString::number(net->lastError())));
    }

    void stalledServerTimesOut() {
        server->setStall("/stall");
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(net->InternetOpenUrl(session, server->url("/stall").toLatin1()),
                 InternetHandle{0});
        QCOMPARE(net->lastError(), InternetError::Timeout);
        QVERIFY(clock.elapsed() < 5000);
        QCOMPARE(server->requestCount("/stall"), 1);
    }

    // A silence after part of the body ends the read at the idle bound; a
    // download held back because nobody reads it is no silence, however long.
    void silenceMidBodyTimesOutButHeldBackDoesNot() {
        CurlInternet quick(CurlInternet::Timeouts{300, 60000});
        const InternetHandle own = quick.InternetOpen("vigilo-test/1.0");
        server->setPieces("/halt", {pattern(3000), pattern(100)}, 5000);
        QElapsedTimer clock;
        clock.start();
        const Download halted =
            readAll(quick, quick.InternetOpenUrl(own, server->url("/halt").toLatin1()));
        QVERIFY(!halted.ok);
        QCOMPARE(halted.error, InternetError::Timeout);
        QCOMPARE(halted.body, pattern(3000));
        QVERIFY(clock.elapsed() < 3000);

        const QByteArray big = pattern(4 * 1024 * 1024);
        server->setBody("/held", big);
        const InternetHandle url = quick.InternetOpenUrl(own, server->url("/held").toLatin1());
        QVERIFY(url != 0);
        QTRY_VERIFY(quick.backlog(url).heldBack);
        clock.restart();
        QTRY_VERIFY_WITH_TIMEOUT(clock.elapsed() > 1000, 5000); // over three idle bounds
        const Download held = readAll(quick, url);
        QVERIFY2(held.ok, qPrintable(QString::number(held.error)));
        QVERIFY(held.body == big);
    }

    // Each byte comes well within the idle bound, so only the overall bound
    // can end it.
    void tricklePastTheOverallBoundTimesOut() {
        server->setTrickle("/slow", QByteArray(400, 'z'), 20);
        InternetHandle url = net->InternetOpenUrl(session, server->url("/slow").toLatin1());
        QVERIFY(url != 0);
        Download d = readAll(*net, url);
        QVERIFY(!d.ok);
        QCOMPARE(d.error, InternetError::Timeout);
        QVERIFY(d.body.size() < 400);
        staysFailed(*net, url);
    }

    void closeMidBodyIsAFailureNotAnEnd() {
        server->setCloseMidBody("/cut", pattern(10000), 3000);
        InternetHandle url = net->InternetOpenUrl(session, server->url("/cut").toLatin1());
        QVERIFY(url != 0);
        Download d = readAll(*net, url);
        QVERIFY(!d.ok);
        QCOMPARE(d.error, InternetError::ConnectionAborted);
        QCOMPARE(d.body, pattern(10000).left(d.body.size()));
        QVERIFY(d.body.size() <= 3000);
    }

    // Qt's socket layer reports a reset like an orderly close, so either code
    // may come; what matters is that the cut body is a failure.
    void resetMidBodyIsAFailure() {
        server->setResetMidBody("/reset", pattern(10000), 3000);
        InternetHandle url = net->InternetOpenUrl(session, server->url("/reset").toLatin1());
        Download d = url ? readAll(*net, url) : Download{{}, {}, false, net->lastError()};
        QVERIFY(!d.ok);
        QVERIFY2(d.error == InternetError::ConnectionReset ||
                     d.error == InternetError::ConnectionAborted,
                 qPrintable(QString::number(d.error)));
        QVERIFY(d.body.size() <= 3000);
    }

    void handlesAreChecked() {
        char buffer[8];
        std::uint32_t n = 0;
        QVERIFY(!net->InternetCloseHandle(0));
        QCOMPARE(net->lastError(), InternetError::InvalidHandle);
        QVERIFY(!net->InternetCloseHandle(0xBEEF));
        QCOMPARE(net->lastError(), InternetError::InvalidHandle);
        QVERIFY(!net->InternetReadFile(session, buffer, sizeof buffer, &n));
        QCOMPARE(net->lastError(), InternetError::InvalidHandle);
        QCOMPARE(net->InternetOpenUrl(0, server->url("/x").toLatin1()), InternetHandle{0});
        QCOMPARE(net->lastError(), InternetError::InvalidHandle);

        server->setBody("/x", "x");
        InternetHandle url = net->InternetOpenUrl(session, server->url("/x").toLatin1());
        QVERIFY(net->InternetCloseHandle(url));
        QVERIFY(!net->InternetCloseHandle(url));
        QCOMPARE(net->lastError(), InternetError::InvalidHandle);

        // Closing the session closes what was opened through it.
        url = net->InternetOpenUrl(session, server->url("/x").toLatin1());
        QVERIFY(net->InternetCloseHandle(session));
        QVERIFY(!net->InternetReadFile(url, buffer, sizeof buffer, &n));
        QCOMPARE(net->InternetOpenUrl(session, server->url("/x").toLatin1()), InternetHandle{0});
        QCOMPARE(net->openHandleCount(), 0);
    }

    void agentWithLineBreakIsRefused() {
        QCOMPARE(net->InternetOpen("agent\r\nX-Injected: yes"), InternetHandle{0});
        QVERIFY(net->lastError() != 0);
    }

    // The window's events run while a page comes in.
    void eventsRunWhileWaiting() {
        server->setPieces("/slowish", {"a", "b", "c"}, 60);
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start(10);
        InternetHandle url = net->InternetOpenUrl(session, server->url("/slowish").toLatin1());
        QCOMPARE(readAll(*net, url).body, QByteArray("abc"));
        QVERIFY2(ticks >= 3, qPrintable(QString::number(ticks)));
    }

    void handleClosedByAnEventDuringARead() {
        server->setPieces("/long", {"a", "b"}, 400);
        InternetHandle url = net->InternetOpenUrl(session, server->url("/long").toLatin1());
        QVERIFY(url != 0);
        QTimer::singleShot(50, [&] { QVERIFY(net->InternetCloseHandle(url)); });
        char buffer[2048];
        std::uint32_t n = 0;
        QVERIFY(!net->InternetReadFile(url, buffer, sizeof buffer, &n));
        QCOMPARE(net->lastError(), 12017);
        QCOMPARE(net->openHandleCount(), 1);
    }

    void secondDownloadStartedByAnEventDuringARead() {
        server->setPieces("/outer", {"out", "er"}, 200);
        server->setBody("/inner", "inner page");
        QByteArray inner;
        QTimer::singleShot(20, [&] {
            InternetHandle h = net->InternetOpenUrl(session, server->url("/inner").toLatin1());
            inner = readAll(*net, h).body;
            net->InternetCloseHandle(h);
        });
        InternetHandle url = net->InternetOpenUrl(session, server->url("/outer").toLatin1());
        Download d = readAll(*net, url);
        QVERIFY(d.ok);
        QCOMPARE(d.body, QByteArray("outer"));
        QCOMPARE(inner, QByteArray("inner page"));
        QCOMPARE(net->lastError(), 0);
    }

    // The program may end with reads left open: the reader goes at once.
    void endsWithTwoDownloadsUnderWay() {
        server->setPieces("/a", {"a1", "a2"}, 60000);
        server->setPieces("/b", {"b1", "b2"}, 60000);
        QVERIFY(net->InternetOpenUrl(session, server->url("/a").toLatin1()) != 0);
        QVERIFY(net->InternetOpenUrl(session, server->url("/b").toLatin1()) != 0);
        QElapsedTimer clock;
        clock.start();
        net.reset();
        QVERIFY(clock.elapsed() < 5000);
    }

    // Replies are released with their handles: many downloads leave nothing.
    void manyDownloadsLeaveNothingBehind() {
        const QByteArray body = pattern(20000);
        server->setBody("/many", body);
        for (int i = 0; i < 200; ++i) {
            InternetHandle url = net->InternetOpenUrl(session, server->url("/many").toLatin1());
            QVERIFY(url != 0);
            QCOMPARE(readAll(*net, url).body.size(), body.size());
            QVERIFY(net->InternetCloseHandle(url));
        }
        QCOMPARE(server->requestCount("/many"), 200);
        QCOMPARE(net->openHandleCount(), 1);
    }

    // Large bodies whose end only the framing or the close tells: every read
    // but the last hands out a full 2048 bytes, and nothing stalls.
    void largeChunkedAndCloseDelimitedBodies_data() {
        QTest::addColumn<bool>("chunked");
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<qsizetype>("piece");
        for (bool chunked : {true, false})
            for (qsizetype mb : {1, 2, 8})
                for (qsizetype piece : {3000, 10000, 2048})
                    QTest::addRow("%s %lld MB in %lld", chunked ? "chunked" : "close",
                                  static_cast<long long>(mb), static_cast<long long>(piece))
                        << chunked << mb * 1024 * 1024 << piece;
    }
    void largeChunkedAndCloseDelimitedBodies() {
        QFETCH(bool, chunked);
        QFETCH(qsizetype, size);
        QFETCH(qsizetype, piece);
        CurlInternet roomy(CurlInternet::Timeouts{5000, 60000});
        const InternetHandle own = roomy.InternetOpen("vigilo-test/1.0");
        const QByteArray body = pattern(size);
        server->setRawPieces(
            "/large", chunked ? chunkedAnswer(body, piece) : closeDelimitedAnswer(body, piece), 0);
        InternetHandle url = roomy.InternetOpenUrl(own, server->url("/large").toLatin1());
        QVERIFY(url != 0);
        Download d = readAll(roomy, url);
        QVERIFY2(d.ok, qPrintable(QString::number(d.error)));
        QVERIFY(d.body == body);
        const qsizetype full = size / 2048;
        QCOMPARE(d.counts.size(), full + (size % 2048 ? 1 : 0) + 1);
        QCOMPARE(d.counts.count(2048u), full);
        QCOMPARE(d.counts.last(), 0u);
    }

    // Answers whose body does not end as their framing says, or cannot be
    // decoded: the read fails instead of handing out a page.
    void brokenAnswersFailTheRead_data() {
        QTest::addColumn<QList<QByteArray>>("answer");
        QTest::addColumn<bool>("keepOpen");
        QTest::addColumn<int>("code");
        const QByteArray big = pattern(5000);
        const QByteArray first = "1388\r\n" + big + "\r\n"; // one chunk of 5000 bytes
        const int invalid = InternetError::InvalidServerResponse;
        const int terminated = InternetError::ConnectionAborted;
        const int undecodable = InternetError::DecodingFailed;
        auto row = [](const char* name) -> QTestData& { return QTest::newRow(name); };
        row("chunk size zz") << QList<QByteArray>{chunkedHead() + first, "zz\r\nworld\r\n0\r\n\r\n"}
                             << false << invalid;
        row("chunk size of 17 hex digits")
            << QList<QByteArray>{chunkedHead() + first + "10000000000000005\r\nworld\r\n0\r\n\r\n"}
            << false << invalid;
        row("chunk size past 63 bits")
            << QList<QByteArray>{chunkedHead() + first + "FFFFFFFFFFFFFFFF\r\nworld\r\n0\r\n\r\n"}
            << false << invalid;

        row("chunk data not followed by its line end")
            << QList<QByteArray>{chunkedHead() + "5\r\nhelloXX5\r\nworld\r\n0\r\n\r\n"} << false
            << invalid;
        row("no final chunk, then close")
            << QList<QByteArray>{chunkedHead() + first, "5\r\nworld\r\n"} << false << terminated;
        row("cut inside a chunk") << QList<QByteArray>{chunkedHead() + first + "50\r\nworld"}
                                  << false << terminated;

        row("no final chunk, left open")
            << QList<QByteArray>{chunkedHead() + first} << true << int(InternetError::Timeout);
        row("fewer bytes than Content-Length")
            << QList<QByteArray>{lengthHead(9000) + big} << false << terminated;
        row("lengths that disagree")
            << QList<QByteArray>{kHead + "Content-Length: 5\r\nContent-Length: 6\r\n\r\nhello!"}
            << false << invalid;
        row("length that is no number")
            << QList<QByteArray>{kHead + "Content-Length: 5x\r\n\r\nhello"} << false << invalid;
        row("negative length") << QList<QByteArray>{kHead + "Content-Length: -5\r\n\r\nhello"}
                               << false << invalid;
        row("length past 63 bits")
            << QList<QByteArray>{kHead + "Content-Length: 9223372036854775808\r\n\r\nhello"}
            << false << invalid;
        row("lengths that disagree, one with leading zeros")
            << QList<QByteArray>{kHead + "Content-Length: 005\r\nContent-Length: 6\r\n\r\nhello!"}
            << false << invalid;

        row("closed before any answer") << QList<QByteArray>{} << false << terminated;
        row("gzip over a plain body")
            << QList<QByteArray>{codedAnswer("gzip", big)} << false << undecodable;
        const QByteArray zeros = encodedBody(QByteArray(200 * 1024 * 1024, '\0'), BodyCoding::Gzip);
        row("gzip bomb") << QList<QByteArray>{codedAnswer("gzip", zeros)} << false << undecodable;
        const QByteArray gz = encodedBody(big + big, BodyCoding::Gzip);

        row("gzip stream cut short at the close")
            << QList<QByteArray>{kHead + "Content-Encoding: gzip\r\n\r\n" + gz.left(gz.size() - 4)}
            << false << undecodable;
        row("garbage after the gzip stream")
            << QList<QByteArray>{codedAnswer("gzip", gz + "tail")} << false << undecodable;

        row("a coding this reader cannot undo")
            << QList<QByteArray>{codedAnswer("compress", big)} << false << undecodable;
        row("a transfer coding never asked for")
            << QList<QByteArray>{kHead +
                                 "Transfer-Encoding: gzip, chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n"}
            << false << undecodable;
        row("identity beside a transfer coding never asked for")
            << QList<QByteArray>{kHead + "Transfer-Encoding: identity, compress\r\n"
                                         "Content-Length: 5\r\n\r\nhello"}
            << false << undecodable;

        // Whatever the status, a body that does not decode is no page.
        for (const QByteArray status : {"404 Not Found", "503 Service Unavailable"})
            row(status.constData())
                << QList<QByteArray>{"HTTP/1.1 " + status + "\r\nContent-Encoding: gzip\r\n\r\n" +
                                     gz.left(gz.size() / 2)}
                << false << undecodable;
        for (BodyCoding coding : {BodyCoding::Brotli, BodyCoding::Zstd}) {
            const QByteArray name = coding == BodyCoding::Brotli ? "br" : "zstd";
            const QByteArray coded = encodedBody(big + big, coding);
            row(name + " cut short") << QList<QByteArray>{kHead + "Content-Encoding: " + name +
                                                          "\r\n\r\n" + coded.left(coded.size() - 3)}
                                     << false << undecodable;
            row(name + " with garbage after it")
                << QList<QByteArray>{codedAnswer(name, coded + "tail")} << false << undecodable;
        }
        // Refused however the frame arrives, not only when libzstd sees it whole.
        row("zstd frame short of the size it declares")
            << QList<QByteArray>{codedAnswer("zstd", handMadeZstdFrame(10 << 3, 97, {""}))} << false
            << undecodable;
        row("zstd window past 8 MiB")
            << QList<QByteArray>{codedAnswer("zstd",
                                             handMadeZstdFrame(14 << 3, 18, {big.left(18)}))}
            << false << undecodable;
        row("stacked codings, the inner one cut short")
            << QList<QByteArray>{codedAnswer(
                   "deflate, gzip",
                   encodedBody(encodedBody(big, BodyCoding::ZlibDeflate).chopped(2),
                               BodyCoding::Gzip))}
            << false << undecodable;
    }
    void brokenAnswersFailTheRead() {
        QFETCH(QList<QByteArray>, answer);
        QFETCH(bool, keepOpen);
        QFETCH(int, code);
        server->setRawPieces("/broken", answer, 20, keepOpen);
        InternetHandle url = net->InternetOpenUrl(session, server->url("/broken").toLatin1());
        Download d = url ? readAll(*net, url) : Download{{}, {}, false, net->lastError()};
        QVERIFY(!d.ok);
        QCOMPARE(d.error, code);
        if (url)
            staysFailed(*net, url);
    }

    // An answer whose head never ended, or that is no HTTP at all, is a
    // malformed answer, not an empty page; on a fresh connection and on one
    // kept from the read before.
    void answerCutInItsHeadFailsTheRead_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("reused");
        QTest::addColumn<int>("code");
        const int malformed = InternetError::InvalidServerResponse;
        const struct {
            const char* name;
            QByteArray answer;
            int code;
        } rows[] = {
            {"status line and a field", "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n",
             malformed},
            {"status line alone", "HTTP/1.1 200 OK\r\n", malformed},
            {"fields without a status line", "Content-Type: text/html\r\nContent-Length: 5\r\n",
             malformed},
            {"bytes that are no HTTP", "hello, this is no HTTP\r\n\r\n", malformed},
            // No answer began: as a close before any answer.
            {"an interim answer alone", "HTTP/1.1 100 Continue\r\n\r\n",
             InternetError::ConnectionAborted},
        };
        for (const auto& row : rows)
            for (bool reused : {false, true})
                QTest::addRow("%s, %s", row.name, reused ? "reused" : "fresh")
                    << row.answer << reused << row.code;
    }
    void answerCutInItsHeadFailsTheRead() {
        QFETCH(QByteArray, answer);
        QFETCH(bool, reused);
        QFETCH(int, code);
        server->setKeptAlive("/first", "first page");
        server->setRaw("/cut", answer);
        if (reused) {
            const InternetHandle first =
                net->InternetOpenUrl(session, server->url("/first").toLatin1());
            QCOMPARE(readAll(*net, first).body, QByteArray("first page"));
            QVERIFY(net->InternetCloseHandle(first));
        }
        const InternetHandle url = net->InternetOpenUrl(session, server->url("/cut").toLatin1());
        const Download d = url ? readAll(*net, url) : Download{{}, {}, false, net->lastError()};
        QVERIFY(!d.ok);
        QCOMPARE(d.error, code);
        QCOMPARE(server->acceptedConnections(), 1);
    }

    // The same framings and codings, sound, in their allowed variations.
    void soundAnswersArriveWhole_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QByteArray>("body");
        const QByteArray page = pattern(70000);
        auto row = [](const char* name) -> QTestData& { return QTest::newRow(name); };
        row("chunks with extensions and a trailer")
            << chunkedHead() + "5;name=value\r\nhello\r\n6 ; x\r\n world\r\n0\r\nX-Sum: 1\r\n\r\n"
            << QByteArray("hello world");
        row("chunks with bare line feeds and padded sizes")
            << kHead + "Transfer-Encoding: chunked\r\n\r\n0005\nhello\nA\n0123456789\n0\n\n"
            << QByteArray("hello0123456789");
        row("bytes after the length are not the page")
            << lengthHead(5) + "helloEXTRA" << QByteArray("hello");

        row("an interim answer first")
            << "HTTP/1.1 100 Continue\r\n\r\n" + lengthHead(5) + "hello" << QByteArray("hello");
        // A head ends only at its blank line, and only then may another begin.
        const QByteArray small = pattern(21);
        const QByteArray smallGz = encodedBody(small, BodyCoding::Gzip);
        row("a field named like a status line")
            << kHead + "Content-Encoding: gzip\r\nHTTP/x: y\r\nContent-Length: " +
                   QByteArray::number(smallGz.size()) + "\r\n\r\n" + smallGz
            << small;
        row("100 Continue and 103 Early Hints, the answer coded")
            << "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 103 Early Hints\r\n"
               "Link: </style.css>; rel=preload\r\n\r\n" +
                   codedAnswer("gzip", smallGz)
            << small;
        row("103 Early Hints coded, the answer not")
            << "HTTP/1.1 103 Early Hints\r\nContent-Encoding: gzip\r\nContent-Length: 9\r\n\r\n" +
                   lengthHead(5) + "hello"
            << QByteArray("hello");

        row("no content") << QByteArray("HTTP/1.1 204 No Content\r\n\r\n") << QByteArray();
        row("gzip") << codedAnswer("gzip", encodedBody(page, BodyCoding::Gzip)) << page;
        row("gzip up to the close")
            << kHead + "Content-Encoding: gzip\r\n\r\n" + encodedBody(page, BodyCoding::Gzip)
            << page;
        row("gzip in chunks") << chunkedAnswer(encodedBody(page, BodyCoding::Gzip), 700)
                                     .join()
                                     .replace("Transfer-Encoding",
                                              "Content-Encoding: gzip\r\nTransfer-Encoding")
                              << page;

        row("deflate, zlib-wrapped")
            << codedAnswer("deflate", encodedBody(page, BodyCoding::ZlibDeflate)) << page;
        row("deflate, raw") << codedAnswer("deflate", encodedBody(page, BodyCoding::RawDeflate))
                            << page;
        // Its last coded bytes are a copy that crosses a step of the decoder
        // (64 KB): the coder holds output after all of its input is in.
        const QByteArray streamed =
            QByteArray("<p>same paragraph again</p>\n").repeated(5000).left(2 * 65536 - 300) +
            QByteArray(320, 'a');
        row("deflate, raw, flushed in pieces")
            << codedAnswer("deflate", encodedBody(streamed, BodyCoding::RawDeflateSyncFlushed))
            << streamed;
        row("brotli") << codedAnswer("br", encodedBody(page, BodyCoding::Brotli)) << page;
        row("zstd") << codedAnswer("zstd", encodedBody(page, BodyCoding::Zstd)) << page;
        row("zstd in several blocks")
            << codedAnswer("zstd", encodedBody(page.repeated(4), BodyCoding::Zstd))
            << page.repeated(4);
        row("zstd in two frames") << codedAnswer("zstd", encodedBody(page, BodyCoding::Zstd) +
                                                             encodedBody(page, BodyCoding::Zstd))
                                  << page + page;
        row("gzip in two members") << codedAnswer("gzip", encodedBody(page, BodyCoding::Gzip) +
                                                              encodedBody(page, BodyCoding::Gzip))
                                   << page + page;
        row("stacked codings") << codedAnswer(
                                      "deflate, gzip",
                                      encodedBody(encodedBody(page, BodyCoding::ZlibDeflate),
                                                  BodyCoding::Gzip))
                               << page;
        row("stacked in two header lines")
            << kHead + "Content-Encoding: br\r\nContent-Encoding: zstd\r\nContent-Length: " +
                   QByteArray::number(
                       encodedBody(encodedBody(page, BodyCoding::Brotli), BodyCoding::Zstd)
                           .size()) +
                   "\r\n\r\n" + encodedBody(encodedBody(page, BodyCoding::Brotli), BodyCoding::Zstd)
            << page;
        row("no coding, named") << codedAnswer("none", page) << page;
        row("identity") << codedAnswer("identity", page) << page;
        row("chunked, in two header lines")
            << kHead + "Transfer-Encoding: chunked\r\nTransfer-Encoding: chunked\r\n\r\n"
                       "5\r\nhello\r\n0\r\n\r\n"
            << QByteArray("hello");
        row("chunked, chunked")
            << kHead + "Transfer-Encoding: chunked, chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n"
            << QByteArray("hello");
        // "identity" is no transfer coding: the body is framed by what remains.
        row("identity, chunked")
            << kHead + "Transfer-Encoding: identity, chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n"
            << QByteArray("hello");
        row("identity, identity, with a length")
            << kHead + "Transfer-Encoding: identity, identity\r\nContent-Length: 5\r\n\r\nhello"
            << QByteArray("hello");
        row("length with leading zeros") << kHead + "Content-Length: 0000000000000000005\r\n\r\n"
                                                    "helloEXTRA"
                                         << QByteArray("hello");
    }
    void soundAnswersArriveWhole() {
        QFETCH(QByteArray, answer);
        QFETCH(QByteArray, body);
        // Sent in small pieces, so lines and chunks are split across reads.
        QList<QByteArray> pieces;
        for (qsizetype at = 0; at < answer.size(); at += 7)
            pieces.append(answer.mid(at, 7));
        server->setRawPieces("/sound", pieces, 0);
        InternetHandle url = net->InternetOpenUrl(session, server->url("/sound").toLatin1());
        QVERIFY(url != 0);
        Download d = readAll(*net, url);
        QVERIFY2(d.ok, qPrintable(QString::number(d.error)));
        QCOMPARE(d.body, body);
        QCOMPARE(d.counts.count(2048u), body.size() / 2048);
    }

    // A page over TLS is read when its certificate is trusted, and refused,
    // before any request goes out, when it is not or names another host.
    void httpsChecksTheCertificate() {
        HttpTestServer tls(testServerTls());
        tls.setBody("/secure", "secret page");
        tls.setRedirect("/down", server->url("/plain"));
        server->setBody("/plain", "plain page");

        QCOMPARE(net->InternetOpenUrl(session, tls.url("/secure").toLatin1()), InternetHandle{0});
        QCOMPARE(net->lastError(), InternetError::InvalidCertificateAuthority);
        QCOMPARE(tls.requestCount("/secure"), 0);

        // Trusted, as the user's own certificates are.
        TrustedTestCertificate trusted;
        InternetHandle url = net->InternetOpenUrl(session, tls.url("/secure").toLatin1());
        QVERIFY(url != 0);
        QCOMPARE(readAll(*net, url).body, QByteArray("secret page"));
        QVERIFY(tls.lastRequestHeaders("/secure").contains("User-Agent: vigilo-test/1.0\r\n"));

        QByteArray byName = tls.url("/secure").toLatin1().replace("127.0.0.1", "localhost");
        QCOMPARE(net->InternetOpenUrl(session, byName), InternetHandle{0});
        QCOMPARE(net->lastError(), InternetError::CertNameInvalid);

        // Never from HTTPS down to HTTP.
        QCOMPARE(net->InternetOpenUrl(session, tls.url("/down").toLatin1()), InternetHandle{0});
        QCOMPARE(net->lastError(), InternetError::HttpsToHttpOnRedirect);
        QCOMPARE(server->requestCount("/plain"), 0);
    }

    // The address curl follows decides, whatever the answer holds and on every
    // hop: never from HTTPS down to HTTP. A cookie an HTTPS answer set without
    // "Secure" never reaches the plain server, then or on a later read.
    void redirectsNeverLeaveHttps_data() {
        // {tls}/a answers 302 with these lines; {plain}/start sends on to it.
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("code");
        const QByteArray tls = "{tls}/a", plain = "{plain}/start", fine = "fine page", none;
        const int refused = InternetError::HttpsToHttpOnRedirect;
        const auto row = [](const char* name, const QByteArray& start, const QByteArray& lines,
                            const QByteArray& body,
                            int code) { QTest::newRow(name) << start << lines << body << code; };
        row("two Location lines, HTTP first", tls,
            "Location: {plain}/leak\r\nLocation: {tls}/fine\r\n", none, refused);
        row("two Location lines, HTTPS first", tls,
            "Location: {tls}/fine\r\nLocation: {plain}/leak\r\n", fine, 0);
        row("an empty second Location", tls, "Location: {plain}/leak\r\nLocation:\r\n", none,
            refused);
        row("an empty first Location", tls, "Location: \r\nLocation: {plain}/leak\r\n", none,
            refused);
        // curl takes no field named "Location " for an address.
        row("a blank before the colon", tls, "Location : {plain}/leak\r\n", "moved", 0);
        row("a blank before the colon, then HTTPS", tls,
            "Location : {plain}/leak\r\nLocation: {tls}/fine\r\n", fine, 0);
        row("relative", tls, "Location: /fine\r\n", fine, 0);
        row("scheme in capitals", tls, "Location: HTTP://{plainHost}/leak\r\n", none, refused);
        row("HTTP to HTTPS to HTTP", plain, "Location: {plain}/leak\r\n", none, refused);
        row("HTTP to HTTPS to HTTPS", plain, "Location: {tls}/fine\r\n", fine, 0);
        row("another scheme", tls, "Location: ftp://127.0.0.1/x\r\n", none,
            InternetError::UnrecognizedScheme);
        // Each hop's head stands alone: the first one's coding is not the next's.
        row("a coded redirect to a plain page", tls,
            "Content-Encoding: gzip\r\nLocation: /fine\r\n", fine, 0);
    }
    void redirectsNeverLeaveHttps() {
        QFETCH(QByteArray, start);
        QFETCH(QByteArray, lines);
        QFETCH(QByteArray, body);
        QFETCH(int, code);
        HttpTestServer tls(testServerTls());
        TrustedTestCertificate trusted;
        // Both by one name, which cookies go to whatever the port, and which
        // curl does not take for a safe loopback as it takes 127.0.0.1.
        const QByteArray tlsHost = "pages.test:" + QByteArray::number(tls.port());
        const QByteArray plainHost = "pages.test:" + QByteArray::number(server->port());
        net->pinAddresses({tlsHost + ":127.0.0.1", plainHost + ":127.0.0.1"});
        const auto expand = [&](QByteArray text) {
            return text.replace("{tls}", "https://" + tlsHost)
                .replace("{plain}", "http://" + plainHost)
                .replace("{plainHost}", plainHost);
        };
        tls.setRaw("/a", expand("HTTP/1.1 302 Found\r\nSet-Cookie: sid=s3cret; Path=/\r\n" + lines +
                                "Content-Length: 5\r\n\r\nmoved"));
        tls.setBody("/fine", "fine page");
        tls.setBody("/after", "after");
        server->setRedirect("/start", QString::fromLatin1(expand("{tls}/a")), 301);
        server->setBody("/leak", "plain page");
        server->setBody("/after", "after");

        const InternetHandle url = net->InternetOpenUrl(session, expand(start));
        const Download d = url ? readAll(*net, url) : Download{{}, {}, false, net->lastError()};
        QCOMPARE(d.error, code);
        QCOMPARE(d.body, body);
        if (code == InternetError::HttpsToHttpOnRedirect)
            QCOMPARE(server->requestCount("/leak"), 0);

        // Later reads: the cookie goes back over HTTPS, never in the clear.
        for (const QByteArray where : {"{tls}/after", "{plain}/after"})
            QCOMPARE(readAll(*net, net->InternetOpenUrl(session, expand(where))).body,
                     QByteArray("after"));
        QVERIFY(tls.lastRequestHeaders("/after").contains("\r\nCookie: sid=s3cret\r\n"));
        for (const char* path : {"/start", "/leak", "/after"})
            QVERIFY2(!server->lastRequestHeaders(path).contains("sid="), path);
    }

    // Large pages over plain HTTP and TLS, read with or without events
    // between the reads: the rest of a page is read from the socket after the
    // server's close, and nothing it held may be lost, however it is framed;
    // a decoded page is handed out while more is decoded behind it.
    void largePagesArriveWhole_data() {
        QTest::addColumn<bool>("tls");
        QTest::addColumn<bool>("events");
        QTest::newRow("plain") << false << false;
        QTest::newRow("plain, events between reads") << false << true;
        QTest::newRow("TLS") << true << false;
        QTest::newRow("TLS, events between reads") << true << true;
    }
    void largePagesArriveWhole() {
        QFETCH(bool, tls);
        QFETCH(bool, events);
        auto pages = tls ? std::make_unique<HttpTestServer>(testServerTls())
                         : std::make_unique<HttpTestServer>();
        const QByteArray body = pattern(1024 * 1024 + 5);
        pages->setBody("/length", body);
        pages->setRawPieces("/close", closeDelimitedAnswer(body, 64 * 1024), 0);
        pages->setRawPieces("/chunked", chunkedAnswer(body, 5000), 0);
        pages->setRaw("/gzip", codedAnswer("gzip", encodedBody(body, BodyCoding::Gzip)));
        TrustedTestCertificate trusted;
        CurlInternet roomy(CurlInternet::Timeouts{5000, 60000});
        const InternetHandle own = roomy.InternetOpen("vigilo-test/1.0");
        for (const char* path : {"/length", "/close", "/chunked", "/gzip"}) {
            const InternetHandle url = roomy.InternetOpenUrl(own, pages->url(path).toLatin1());
            QVERIFY2(url != 0, path);
            const Download d = readAll(roomy, url, events);
            QVERIFY2(d.ok && d.body == body, path);
            QCOMPARE(d.counts.count(2048u), body.size() / 2048);
        }
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
        InternetHandle url = net->InternetOpenUrl(session, target);
        QVERIFY(url != 0);
        QCOMPARE(readAll(*net, url).body, QByteArray("through the proxy"));
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
        InternetHandle url = net->InternetOpenUrl(session, withUser(server->url("/login")));
        QCOMPARE(readAll(*net, url).body, QByteArray("home"));
        QVERIFY(server->lastRequestHeaders("/home").contains("\r\nCookie: visit=7\r\n"));
        const QByteArray host =
            "\r\nHost: 127.0.0.1:" + QByteArray::number(server->port()) + "\r\n";
        QVERIFY(server->lastRequestHeaders("/home").contains(host));
        // ...and on the next read, while the program runs.
        url = net->InternetOpenUrl(session, server->url("/home").toLatin1());
        QCOMPARE(readAll(*net, url).body, QByteArray("home"));
        QCOMPARE(server->requestCount("/home"), 2);
        QVERIFY(server->lastRequestHeaders("/home").contains("\r\nCookie: visit=7\r\n"));

        url = net->InternetOpenUrl(session, withUser(server->url("/basic")));
        QCOMPARE(readAll(*net, url).body, QByteArray("denied"));
        QCOMPARE(server->requestCount("/basic"), 2);
        QVERIFY(server->lastRequestHeaders("/basic").contains(
            "\r\nAuthorization: Basic dXNlcjpwdw==\r\n"));
        url = net->InternetOpenUrl(session, withUser(server->url("/digest")));
        QCOMPARE(readAll(*net, url).body, QByteArray("denied"));
        QVERIFY(server->lastRequestHeaders("/digest").contains(
            "\r\nAuthorization: Digest username=\"user\""));

        url = net->InternetOpenUrl(session, withUser(server->url("/away")));
        QCOMPARE(readAll(*net, url).body, QByteArray("denied"));
        QCOMPARE(other.requestCount("/there"), 1);
        QVERIFY(!other.lastRequestHeaders("/there").contains("Authorization"));
    }

    // While nobody reads, a download holds about a megabyte of its body, as
    // it came, however much the server sends or the body would expand; the
    // rest comes once it is read.
    void unreadBodyStaysBounded_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QByteArray>("body");
        // Noise, which no coding shrinks: past 10 MB a body that shrank
        // more than 40-fold would be refused.
        QByteArray plain(16 * 1024 * 1024, Qt::Uninitialized);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(plain.data()), plain.size() / 4);
        const QByteArray zeros(9 * 1024 * 1024, '\0');
        QTest::newRow("plain") << lengthHead(plain.size()) + plain << plain;
        QTest::newRow("gzip, until the close")
            << kHead + "Content-Encoding: gzip\r\n\r\n" + encodedBody(plain, BodyCoding::Gzip)
            << plain;
        QTest::newRow("gzip of zeros")
            << codedAnswer("gzip", encodedBody(zeros, BodyCoding::Gzip)) << zeros;
    }
    void unreadBodyStaysBounded() {
        QFETCH(QByteArray, answer);
        QFETCH(QByteArray, body);
        server->setRaw("/held", answer);
        CurlInternet roomy(CurlInternet::Timeouts{5000, 60000});
        const InternetHandle own = roomy.InternetOpen("vigilo-test/1.0");
        const InternetHandle url = roomy.InternetOpenUrl(own, server->url("/held").toLatin1());
        QVERIFY(url != 0);
        if (answer.size() > 2 * 1024 * 1024) {
            QTRY_VERIFY(roomy.backlog(url).heldBack);
            QVERIFY2(roomy.backlog(url).bytes <= 1536 * 1024,
                     qPrintable(QString::number(roomy.backlog(url).bytes)));
        }
        const Download d = readAll(roomy, url, true);
        QVERIFY2(d.ok, qPrintable(QString::number(d.error)));
        QVERIFY(d.body == body);
    }

    // Between period ends the connection stays open for the next read.
    void twoReadsOverOneKeptConnection() {
        server->setKeptAlive("/kept", "same page");
        for (int i = 0; i < 2; ++i) {
            const InternetHandle url =
                net->InternetOpenUrl(session, server->url("/kept").toLatin1());
            QCOMPARE(readAll(*net, url).body, QByteArray("same page"));
            QVERIFY(net->InternetCloseHandle(url));
        }
        QCOMPARE(server->requestCount("/kept"), 2);
        QCOMPARE(server->acceptedConnections(), 1);
    }

    void tenMegabytesArriveIntact() {
        const QByteArray body = pattern(10 * 1024 * 1024);
        server->setBody("/big", body);
        InternetHandle url = net->InternetOpenUrl(session, server->url("/big").toLatin1());
        Download d = readAll(*net, url);
        QVERIFY(d.ok);
        QVERIFY(d.body == body);
    }

private:
    std::unique_ptr<HttpTestServer> server;
    std::unique_ptr<CurlInternet> net;
    InternetHandle session = 0;
};

QTEST_MAIN(TestCurlInternet)
#include "tst_curl_internet.moc"
