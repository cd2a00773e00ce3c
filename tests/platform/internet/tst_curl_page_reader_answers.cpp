#include "coded_body.h"
#include "http_test_server.h"
#include "platform/internet/curl_page_reader.h"
#include "reader_rig.h"
#include "test_certificate.h"

#include <QtTest>

// Answers however they are framed and coded, sound or broken: the reader
// hands out the page only when all of it came as the answer says.
class TestCurlPageReaderAnswers : public QObject {
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
        row("404 Not Found")
            << QList<QByteArray>{"HTTP/1.1 404 Not Found\r\nContent-Encoding: gzip\r\n\r\n" +
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
        const Read read = readPage(*reader, server->url("/broken").toLatin1());
        QVERIFY(read.done);
        QCOMPARE(read.result.error, code);
        QVERIFY(read.result.body.isEmpty());
    }

    // What curl gives up on in a head is the server's doing, never the
    // program's or the address's the user typed: a malformed answer, or a
    // redirect that failed.
    void headsCurlGivesUpOnAreTheServers_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("code");
        const QByteArray huge(100 * 1024, 'a');
        const int malformed = InternetError::InvalidServerResponse;
        const int redirect = InternetError::RedirectFailed;
        const QByteArray moved = "HTTP/1.1 302 Found\r\nContent-Length: 0\r\nLocation: ";
        QTest::newRow("a field of 100 kB")
            << kHead + "X-Long: " + huge + "\r\n" + lengthHead(5).sliced(kHead.size()) + "hello"
            << malformed;
        QTest::newRow("a status line of 100 kB")
            << "HTTP/1.1 200 " + huge + "\r\nContent-Length: 5\r\n\r\nhello" << malformed;
        QTest::newRow("a head of 400 kB in all")
            << kHead + QByteArray("X-Field: " + QByteArray(1000, 'b') + "\r\n").repeated(400) +
                   "Content-Length: 5\r\n\r\nhello"
            << malformed;
        QTest::newRow("a redirect to a malformed address") << moved + "http://[zz]/\r\n\r\n"
                                                           << redirect;
        QTest::newRow("a redirect to another scheme") << moved + "ftp://127.0.0.1/file\r\n\r\n"
                                                      << redirect;
        QTest::newRow("a redirect to a host that is no name")
            << moved + "http://exa mple.test/\r\n\r\n"
            << redirect;
    }
    void headsCurlGivesUpOnAreTheServers() {
        QFETCH(QByteArray, answer);
        QFETCH(int, code);
        server->setRaw("/head", answer);
        QCOMPARE(readPage(*reader, server->url("/head").toLatin1()).result.error, code);
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
        if (reused)
            QCOMPARE(readPage(*reader, server->url("/first").toLatin1()).result.body,
                     QByteArray("first page"));
        const Read read = readPage(*reader, server->url("/cut").toLatin1());
        QCOMPARE(read.result.error, code);
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
        const Read read = readPage(*reader, server->url("/sound").toLatin1());
        QVERIFY(read.done);
        QCOMPARE(read.result.error, 0);
        QCOMPARE(read.result.body, body);
    }

    // Large bodies however their end is told, in pieces of any size, over
    // plain HTTP and TLS: the rest of a page is read from the socket after
    // the server's close, and nothing it held may be lost.
    void largeBodiesArriveWhole_data() {
        QTest::addColumn<bool>("tls");
        QTest::addColumn<QString>("framing");
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<qsizetype>("piece");
        for (const char* framing : {"chunked", "close"})
            for (qsizetype mb : {1, 2, 8})
                for (qsizetype piece : {3000, 10000, 2048})
                    QTest::addRow("%s %lld MB in %lld", framing, static_cast<long long>(mb),
                                  static_cast<long long>(piece))
                        << false << QString::fromLatin1(framing) << mb * 1024 * 1024 << piece;
        for (bool tls : {false, true})
            for (const char* framing : {"length", "close", "chunked", "gzip"})
                QTest::addRow("%s, %s, 1 MB", tls ? "TLS" : "plain", framing)
                    << tls << QString::fromLatin1(framing) << qsizetype{1024 * 1024 + 5}
                    << qsizetype{64 * 1024};
    }
    void largeBodiesArriveWhole() {
        QFETCH(bool, tls);
        QFETCH(QString, framing);
        QFETCH(qsizetype, size);
        QFETCH(qsizetype, piece);
        auto pages = tls ? std::make_unique<HttpTestServer>(testServerTls())
                         : std::make_unique<HttpTestServer>();
        const QByteArray body = pattern(size);
        if (framing == QLatin1String("length"))
            pages->setBody("/large", body);
        else if (framing == QLatin1String("close"))
            pages->setRawPieces("/large", closeDelimitedAnswer(body, piece), 0);
        else if (framing == QLatin1String("chunked"))
            pages->setRawPieces("/large", chunkedAnswer(body, piece), 0);
        else
            pages->setRaw("/large", codedAnswer("gzip", encodedBody(body, BodyCoding::Gzip)));
        TrustedTestCertificate trusted;
        CurlPageReader roomy(CurlTimeouts{5000, 60000});
        const Read read = readPage(roomy, pages->url("/large").toLatin1());
        QVERIFY(read.done);
        QCOMPARE(read.result.error, 0);
        QVERIFY(read.result.body == body);
        QCOMPARE(read.progress.last(), size);
    }

    // An answer from 500 to 599 is a failed read that names the status and
    // the server's reason, whatever its body; its body is not waited for. A
    // reason the server left out is HTTP's own for the status, as over HTTP/2,
    // which has none.
    void serverErrorFailsTheRead_data() {
        QTest::addColumn<QList<QByteArray>>("answer");
        QTest::addColumn<bool>("keepOpen");
        QTest::addColumn<QString>("text");
        const QByteArray down = "Content-Length: 5\r\n\r\ndown!";
        const auto row = [](const char* name, const QByteArray& answer, const char* text,
                            bool keepOpen = false) {
            QTest::newRow(name) << QList<QByteArray>{answer} << keepOpen << QString::fromUtf8(text);
        };
        row("503", "HTTP/1.1 503 Service Unavailable\r\n" + down,
            "The server answered 503 Service Unavailable.");
        row("a reason of its own", "HTTP/1.1 500 Oops, the database\r\n" + down,
            "The server answered 500 Oops, the database.");
        row("a reason in Latin-1", "HTTP/1.1 599 Pas pr\xeat\r\n" + down,
            "The server answered 599 Pas pr\u00eat.");
        row("blanks around the reason", "HTTP/1.1 502   Bad  Gateway \t\r\n" + down,
            "The server answered 502 Bad  Gateway.");
        row("a control character in the reason", "HTTP/1.1 500 bad\x07reason\r\n" + down,
            "The server answered 500 bad reason.");
        row("no reason", "HTTP/1.1 504\r\n" + down, "The server answered 504 Gateway Timeout.");
        row("a blank for a reason", "HTTP/1.1 504 \r\n" + down,
            "The server answered 504 Gateway Timeout.");
        row("no reason, and none standard", "HTTP/1.1 555\r\n" + down, "The server answered 555.");
        row("after an interim answer",
            "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 503 Service Unavailable\r\n" + down,
            "The server answered 503 Service Unavailable.");
        row("a body that never comes",
            "HTTP/1.1 500 Internal Server Error\r\nTransfer-Encoding: chunked\r\n\r\n",
            "The server answered 500 Internal Server Error.", true);
        row("a body that does not decode",
            "HTTP/1.1 503 Service Unavailable\r\nContent-Encoding: gzip\r\n" + down,
            "The server answered 503 Service Unavailable.");
        row("through a redirect", "HTTP/1.1 302 Found\r\nLocation: /down\r\n" + down,
            "The server answered 503 Service Unavailable.");
    }
    void serverErrorFailsTheRead() {
        QFETCH(QList<QByteArray>, answer);
        QFETCH(bool, keepOpen);
        QFETCH(QString, text);
        server->setRawPieces("/error", answer, 0, keepOpen);
        server->setRaw("/down", "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\n\r\n");
        const Read read = readPage(*reader, server->url("/error").toLatin1());
        QCOMPARE(read.result.error, InternetError::ServerError);
        QCOMPARE(read.result.errorText, text);
        QVERIFY(read.result.body.isEmpty());
        QVERIFY(read.progress.isEmpty());
    }

    // A server that sends more than its answer's framing says leaves bytes
    // on the kept connection; they never become the answer to the next
    // request, whether they came with the answer or after the read ended, and
    // whether the next read asks first or after a redirect from elsewhere.
    void bytesPastAnAnswerNeverAnswerTheNextRead_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("later");
        QTest::addColumn<bool>("redirected");
        const QByteArray hello = "hello";
        const struct {
            const char* name;
            QByteArray answer;
            QByteArray body;
        } ways[] = {
            {"past Content-Length", lengthHead(5) + hello, hello},
            {"after a 204", "HTTP/1.1 204 No Content\r\n\r\n", {}},
            {"after a 304", "HTTP/1.1 304 Not Modified\r\n\r\n", {}},
            {"after the last chunk", chunkedHead() + "5\r\nhello\r\n0\r\n\r\n", hello},
        };
        for (const auto& way : ways)
            for (bool later : {false, true})
                for (bool redirected : {false, true})
                    QTest::addRow("%s, %s, %s", way.name, later ? "later" : "with the answer",
                                  redirected ? "through a redirect" : "asked at once")
                        << way.answer << way.body << later << redirected;
    }
    void bytesPastAnAnswerNeverAnswerTheNextRead() {
        QFETCH(QByteArray, answer);
        QFETCH(QByteArray, body);
        QFETCH(bool, later);
        QFETCH(bool, redirected);
        // What the extra bytes hold: an answer of their own.
        const QByteArray extra = "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nfake";
        HttpTestServer elsewhere;
        server->setKeptAliveRaw("/first", later ? answer : answer + extra);
        server->setKeptAlive("/next", "next page");
        elsewhere.setRedirect("/hop", server->url("/next"));

        const Read first = readPage(*reader, server->url("/first").toLatin1());
        QCOMPARE(first.result.error, 0);
        QCOMPARE(first.result.body, body);
        if (later)
            QTRY_COMPARE(server->sendToIdleConnections(extra), 1);
        const QString start = redirected ? elsewhere.url("/hop") : server->url("/next");
        const Read next = readPage(*reader, start.toLatin1());
        QCOMPARE(next.result.error, 0);
        QCOMPARE(next.result.body, QByteArray("next page"));
        QCOMPARE(server->requestCount("/next"), 1);
    }

    // A coded page far larger than the driver holds is decoded a bounded
    // step per round of the event loop, the window's events running between
    // the steps, and comes whole.
    void largeCodedPageIsDecodedInSteps_data() {
        QTest::addColumn<QByteArray>("coding");
        QTest::newRow("gzip") << QByteArray("gzip");
        QTest::newRow("brotli") << QByteArray("br");
        QTest::newRow("zstd") << QByteArray("zstd");
    }
    void largeCodedPageIsDecodedInSteps() {
        QFETCH(QByteArray, coding);
        // Letters at random: no coding shrinks them enough to look like a bomb.
        QByteArray body(12 * 1024 * 1024, Qt::Uninitialized);
        QRandomGenerator random(7);
        for (char& c : body)
            c = static_cast<char>('a' + random.bounded(26));
        const BodyCoding how = coding == "gzip" ? BodyCoding::Gzip
                               : coding == "br" ? BodyCoding::Brotli
                                                : BodyCoding::Zstd;
        server->setRaw("/coded", codedAnswer(coding, encodedBody(body, how)));
        CurlPageReader roomy(CurlTimeouts{5000, 60000});
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
        ticker.start(0);
        const Read read = readPage(roomy, server->url("/coded").toLatin1());
        QVERIFY(read.done);
        QCOMPARE(read.result.error, 0);
        QVERIFY(read.result.body == body);
        qint64 before = 0;
        for (const qint64 total : read.progress) {
            QVERIFY2(total - before <= 1024 * 1024, qPrintable(QString::number(total - before)));
            before = total;
        }
        QVERIFY2(
            ticks >= read.progress.size() / 2,
            qPrintable(
                QStringLiteral("%1 rounds for %2 steps").arg(ticks).arg(read.progress.size())));
    }

private:
    std::unique_ptr<HttpTestServer> server;
    std::unique_ptr<CurlPageReader> reader;
};

QTEST_MAIN(TestCurlPageReaderAnswers)
#include "tst_curl_page_reader_answers.moc"
