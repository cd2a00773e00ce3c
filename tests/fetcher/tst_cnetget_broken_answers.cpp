#include "coded_body.h"
#include "fetcher_rig.h"
#include "http_test_server.h"
#include "platform/internet/curl_internet.h"

#include <QtTest>

namespace {

const QByteArray kHead = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n";
const QString kNoDetails = QStringLiteral("Error details not available.");
const QString kTerminated = QStringLiteral("The connection with the server has been terminated.");

QByteArray chunkedHead() {
    return kHead + "Transfer-Encoding: chunked\r\n\r\n";
}

QByteArray codedAnswer(const QByteArray& coding, const QByteArray& body) {
    return kHead + "Content-Encoding: " + coding +
           "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

} // namespace

// ReadUrl on answers whose body does not end as framed or cannot be decoded.
class TestCNetGetBrokenAnswers : public QObject {
    Q_OBJECT

private slots:
    void init() {
        server = std::make_unique<HttpTestServer>();
        internet = std::make_unique<CurlInternet>(CurlInternet::Timeouts{300, 5000});
        rig = std::make_unique<FetcherRig>(*internet);
        rig->net.Init();
    }
    void cleanup() {
        rig.reset();
        internet.reset();
        server.reset();
    }

    // The read fails with a message; the page read before stays the page.
    void brokenAnswerKeepsThePreviousPage_data() {
        QTest::addColumn<QList<QByteArray>>("answer");
        QTest::addColumn<bool>("keepOpen");
        QTest::addColumn<QString>("error");
        const QByteArray first = "800\r\n" + QByteArray(2048, 'f') + "\r\n";
        QTest::newRow("chunk size zz")
            << QList<QByteArray>{chunkedHead() + first + "zz\r\nworld\r\n0\r\n\r\n"} << false
            << kNoDetails;
        QTest::newRow("chunk size of 17 hex digits")
            << QList<QByteArray>{chunkedHead() + first + "10000000000000005\r\nworld\r\n0\r\n\r\n"}
            << false << kNoDetails;
        QTest::newRow("no final chunk")
            << QList<QByteArray>{chunkedHead() + first, "5\r\nworld\r\n"} << false << kTerminated;
        QTest::newRow("no final chunk, left open")
            << QList<QByteArray>{chunkedHead() + first} << true
            << QStringLiteral("The request has timed out.");
        QTest::newRow("fewer bytes than Content-Length")
            << QList<QByteArray>{kHead + "Content-Length: 6000\r\n\r\n" + QByteArray(4000, 's')}
            << false << kTerminated;
        // The page must not turn empty: an empty page after a real one would
        // ring for a change.
        QTest::newRow("head cut short")
            << QList<QByteArray>{"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"} << false
            << kNoDetails;
        QTest::newRow("an answer that is no HTTP")
            << QList<QByteArray>{"<html>no status line</html>\r\n"} << false << kNoDetails;
        QTest::newRow("zstd frame short of the size it declares")
            << QList<QByteArray>{codedAnswer("zstd", handMadeZstdFrame(10 << 3, 97, {""}))} << false
            << kNoDetails;
        QTest::newRow("gzip over a plain body")
            << QList<QByteArray>{codedAnswer("gzip", QByteArray(3000, 'p'))} << false << kNoDetails;
        QTest::newRow("gzip bomb")
            << QList<QByteArray>{codedAnswer(
                   "gzip", encodedBody(QByteArray(100 * 1024 * 1024, ' '), BodyCoding::Gzip))}
            << false << kNoDetails;
    }
    void brokenAnswerKeepsThePreviousPage() {
        QFETCH(QList<QByteArray>, answer);
        QFETCH(bool, keepOpen);
        QFETCH(QString, error);
        server->setBody("/page", "<html>the page</html>");
        QVERIFY(rig->net.ReadUrl(server->url("/page")));
        rig->status.texts.clear();
        rig->pointer.calls.clear();

        server->setRawPieces("/page", answer, 10, keepOpen);
        QVERIFY(!rig->net.ReadUrl(server->url("/page")));
        QCOMPARE(rig->net.GetLastError(), error);
        QCOMPARE(rig->net.GetRawHTML(), QStringLiteral("<html>the page</html>"));
        QCOMPARE(rig->status.texts.last(), QStringLiteral("Ready"));
        QCOMPARE(rig->pointer.calls, (QStringList{"busy", "restore"}));
        QCOMPARE(internet->openHandleCount(), 1);
    }

private:
    std::unique_ptr<HttpTestServer> server;
    std::unique_ptr<CurlInternet> internet;
    std::unique_ptr<FetcherRig> rig;
};

QTEST_MAIN(TestCNetGetBrokenAnswers)
#include "tst_cnetget_broken_answers.moc"
