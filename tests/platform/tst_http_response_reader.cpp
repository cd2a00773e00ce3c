#include "platform/http_response_reader.h"

#include <QtTest>

namespace {

struct Outcome {
    HttpResponseReader::State state;
    HttpResponseReader::Failure failure;
    QByteArray body;
    int heads = 0;
    bool bodyBeforeHead = false;
};

// Feeds the answer in pieces of `step` bytes, as the connection would, and
// the close when `closeAtEnd`. With `takePlain`, body bytes that need no
// framing go past the reader and are only counted to it, as a reply takes
// them straight off its connection.
Outcome run(const QByteArray& answer, qsizetype step, bool closeAtEnd, bool takePlain = false) {
    HttpResponseReader reader;
    Outcome out;
    for (qsizetype at = 0; at < answer.size();) {
        QByteArrayView piece =
            QByteArrayView(answer).sliced(at, std::min(step, answer.size() - at));
        while (!piece.isEmpty()) {
            if (const qint64 ahead = reader.plainBodyAhead(); takePlain && ahead > 0) {
                const qsizetype n = static_cast<qsizetype>(std::min<qint64>(ahead, piece.size()));
                out.body.append(piece.first(n));
                reader.bodyTaken(n);
                piece = piece.sliced(n);
                continue;
            }
            const qsizetype before = out.body.size();
            const qsizetype used = reader.feed(piece, out.body);
            if (out.heads == 0 && out.body.size() > before)
                out.bodyBeforeHead = true;
            out.heads += reader.takeHead() ? 1 : 0;
            piece = piece.sliced(used);
            if (used == 0)
                break;
        }
        at += step;
    }
    if (closeAtEnd)
        reader.closed();
    out.state = reader.state();
    out.failure = reader.failure();
    return out;
}

} // namespace

class TestHttpResponseReader : public QObject {
    Q_OBJECT

private slots:
    // Lines and chunks split at every possible place read the same as whole.
    void framingDoesNotDependOnHowBytesArrive_data() {
        using S = HttpResponseReader::State;
        using F = HttpResponseReader::Failure;
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("close");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("failure");
        QTest::addColumn<QByteArray>("body");
        const QByteArray chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
        auto row = [](const char* name) -> QTestData& { return QTest::newRow(name); };
        row("chunks") << chunked + "3;x=y\r\nabc\r\n2\r\nde\r\n0\r\nT: 1\r\n\r\nafter" << false
                      << int(S::Done) << int(F::None) << QByteArray("abcde");
        row("interim then final") << QByteArray(
                                         "HTTP/1.1 103 Early\r\nLink: x\r\n\r\nHTTP/1.1 200 OK\r\n"
                                         "Content-Length: 2\r\n\r\nok")
                                  << false << int(S::Done) << int(F::None) << QByteArray("ok");
        row("bad chunk size") << chunked + "3\r\nabc\r\nzz\r\nworld\r\n0\r\n\r\n"
                              << false << int(S::Failed) << int(F::Malformed) << QByteArray("abc");
        row("chunk size with a sign")
            << chunked + "3\r\nabc\r\n-5\r\nworld\r\n"
            << false << int(S::Failed) << int(F::Malformed) << QByteArray("abc");
        row("head cut") << QByteArray("HTTP/1.1 200 OK\r\nContent-Le") << true << int(S::Failed)
                        << int(F::CutShort) << QByteArray();
        row("switching protocols") << QByteArray("HTTP/1.1 101 Switching\r\n\r\nxyz") << false
                                   << int(S::Failed) << int(F::Malformed) << QByteArray();
        row("status of two digits") << QByteArray("HTTP/1.1 20 OK\r\n\r\n") << false
                                    << int(S::Failed) << int(F::Malformed) << QByteArray();
        row("endless field") << "HTTP/1.1 200 OK\r\nX: " + QByteArray(300 * 1024, 'x') + "\r\n\r\n"
                             << false << int(S::Failed) << int(F::Malformed) << QByteArray();
        row("endless chunk extension")
            << chunked + "3;" + QByteArray(8000, 'e') + "\r\nabc" << false << int(S::Failed)
            << int(F::Malformed) << QByteArray();
    }
    void framingDoesNotDependOnHowBytesArrive() {
        QFETCH(QByteArray, answer);
        QFETCH(bool, close);
        QFETCH(int, state);
        QFETCH(int, failure);
        QFETCH(QByteArray, body);
        for (qsizetype step : {qsizetype(1), qsizetype(2), qsizetype(5), answer.size()}) {
            const Outcome out = run(answer, step, close);
            QCOMPARE(int(out.state), state);
            QCOMPARE(int(out.failure), failure);
            QCOMPARE(out.body, body);
            QVERIFY(!out.bodyBeforeHead);
            QVERIFY(out.heads <= 1);
        }
    }

    // Body bytes taken past the reader end the body, its chunks and the
    // answer exactly where feeding them would.
    void plainBodyTakenPastTheReaderEndsAlike_data() {
        using S = HttpResponseReader::State;
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("close");
        QTest::addColumn<int>("state");
        QTest::addColumn<QByteArray>("body");
        const QByteArray head = "HTTP/1.1 200 OK\r\n";
        const QByteArray chunked = head + "Transfer-Encoding: chunked\r\n\r\n";
        auto row = [](const char* name) -> QTestData& { return QTest::newRow(name); };
        row("length, then more") << head + "Content-Length: 4\r\n\r\n0123EXTRA" << false
                                 << int(S::Done) << QByteArray("0123");
        row("length cut short") << head + "Content-Length: 9\r\n\r\n01234" << true << int(S::Failed)
                                << QByteArray("01234");
        row("up to the close") << head + "\r\nall of it" << true << int(S::Done)
                               << QByteArray("all of it");
        row("chunks") << chunked + "3\r\nabc\r\nA\r\n0123456789\r\n0\r\n\r\n"
                      << false << int(S::Done) << QByteArray("abc0123456789");
        row("chunk running on") << chunked + "3\r\nabcX\r\n"
                                << false << int(S::Failed) << QByteArray("abc");
    }
    void plainBodyTakenPastTheReaderEndsAlike() {
        QFETCH(QByteArray, answer);
        QFETCH(bool, close);
        QFETCH(int, state);
        QFETCH(QByteArray, body);
        for (qsizetype step : {qsizetype(1), qsizetype(3), answer.size()}) {
            const Outcome fed = run(answer, step, close);
            const Outcome taken = run(answer, step, close, true);
            QCOMPARE(taken.body, body);
            QCOMPARE(int(taken.state), state);
            QCOMPARE(int(taken.failure), int(fed.failure));
            QCOMPARE(fed.body, body);
            QCOMPARE(taken.heads, 1);
        }
    }

    void headFieldsAreKept() {
        HttpResponseReader reader;
        QByteArray body;
        const QByteArray answer = "HTTP/1.1 404 Not Found\r\nSet-Cookie: a=1\r\nX-Long: one\r\n"
                                  " two\r\nset-cookie: b=2\r\nno colon here\r\n\r\nrest";
        const qsizetype used = reader.feed(answer, body);
        QVERIFY(reader.takeHead());
        QVERIFY(!reader.takeHead());
        QCOMPARE(answer.mid(used), QByteArray("rest")); // stopped right after the head
        QCOMPARE(reader.status(), 404);
        QCOMPARE(reader.reason(), QByteArray("Not Found"));
        QCOMPARE(reader.field("SET-COOKIE"), QByteArray("a=1, b=2"));
        QCOMPARE(reader.field("x-long"), QByteArray("one two"));
        QCOMPARE(reader.fields().size(), 3);
    }
};

QTEST_MAIN(TestHttpResponseReader)
#include "tst_http_response_reader.moc"
