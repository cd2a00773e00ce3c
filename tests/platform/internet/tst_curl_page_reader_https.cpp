#include "http_test_server.h"
#include "platform/internet/curl_page_reader.h"
#include "reader_rig.h"
#include "test_certificate.h"

#include <QtTest>

// Reads over TLS: the certificate checked, never down to plain HTTP, and
// what HTTPS gave kept off plain HTTP.
class TestCurlPageReaderHttps : public QObject {
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

    // A page over TLS is read when its certificate is trusted, and refused,
    // before any request goes out, when it is not or names another host.
    void httpsChecksTheCertificate() {
        HttpTestServer tls(testServerTls());
        tls.setBody("/secure", "secret page");
        tls.setRedirect("/down", server->url("/plain"));
        server->setBody("/plain", "plain page");

        QCOMPARE(readPage(*reader, tls.url("/secure").toLatin1()).result.error,
                 InternetError::InvalidCertificateAuthority);
        QCOMPARE(tls.requestCount("/secure"), 0);

        // Trusted, as the user's own certificates are.
        TrustedTestCertificate trusted;
        QCOMPARE(readPage(*reader, tls.url("/secure").toLatin1()).result.body,
                 QByteArray("secret page"));
        QVERIFY(tls.lastRequestHeaders("/secure").contains("User-Agent: vigilo-test/1.0\r\n"));

        QByteArray byName = tls.url("/secure").toLatin1().replace("127.0.0.1", "localhost");
        QCOMPARE(readPage(*reader, byName).result.error, InternetError::CertNameInvalid);

        // Never from HTTPS down to HTTP.
        QCOMPARE(readPage(*reader, tls.url("/down").toLatin1()).result.error,
                 InternetError::HttpsToHttpOnRedirect);
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
            InternetError::RedirectFailed);
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
        pinPagesTest(tls);
        tls.setRaw("/a", expand("HTTP/1.1 302 Found\r\nSet-Cookie: sid=s3cret; Path=/\r\n" + lines +
                                "Content-Length: 5\r\n\r\nmoved"));
        tls.setBody("/fine", "fine page");
        tls.setBody("/after", "after");
        server->setRedirect("/start", QString::fromLatin1(expand("{tls}/a")), 301);
        server->setBody("/leak", "plain page");
        server->setBody("/after", "after");

        const Read read = readPage(*reader, expand(start));
        QCOMPARE(read.result.error, code);
        QCOMPARE(read.result.body, body);
        if (code == InternetError::HttpsToHttpOnRedirect)
            QCOMPARE(server->requestCount("/leak"), 0);

        // Later reads: the cookie goes back over HTTPS, never in the clear.
        for (const QByteArray where : {"{tls}/after", "{plain}/after"})
            QCOMPARE(readPage(*reader, expand(where)).result.body, QByteArray("after"));
        QVERIFY(tls.lastRequestHeaders("/after").contains("\r\nCookie: sid=s3cret\r\n"));
        for (const char* path : {"/start", "/leak", "/after"})
            QVERIFY2(!server->lastRequestHeaders(path).contains("sid="), path);
    }

    // A cookie an HTTPS answer set without "Secure" stays off plain HTTP
    // whatever becomes of that answer, though curl stores it the moment its
    // line comes in; it still goes back over HTTPS.
    void cookieFromHttpsStaysOffHttpWhateverBecomesOfTheAnswer_data() {
        QTest::addColumn<QList<QByteArray>>("answer");
        QTest::addColumn<bool>("keepOpen");
        QTest::addColumn<int>("code");
        const QByteArray head = "HTTP/1.1 200 OK\r\nSet-Cookie: sid=s3cret; Path=/\r\n";
        QTest::newRow("cut inside the head") << QList<QByteArray>{head + "Content-Ty"} << false
                                             << int(InternetError::InvalidServerResponse);
        QTest::newRow("silent inside the head")
            << QList<QByteArray>{head} << true << int(InternetError::Timeout);
        QTest::newRow("cut inside the body")
            << QList<QByteArray>{head + "Content-Length: 100\r\n\r\nshort"} << false
            << int(InternetError::ConnectionAborted);
        QTest::newRow("whole") << QList<QByteArray>{head + "Content-Length: 5\r\n\r\nwhole"}
                               << false << 0;
    }
    void cookieFromHttpsStaysOffHttpWhateverBecomesOfTheAnswer() {
        QFETCH(QList<QByteArray>, answer);
        QFETCH(bool, keepOpen);
        QFETCH(int, code);
        HttpTestServer tls(testServerTls());
        TrustedTestCertificate trusted;
        pinPagesTest(tls);
        tls.setRawPieces("/set", answer, 0, keepOpen);
        tls.setBody("/after", "after");
        server->setBody("/after", "after");
        QCOMPARE(readPage(*reader, expand("{tls}/set")).result.error, code);
        QCOMPARE(readPage(*reader, expand("{plain}/after")).result.body, QByteArray("after"));
        QVERIFY(!server->lastRequestHeaders("/after").contains("sid="));
        QCOMPARE(readPage(*reader, expand("{tls}/after")).result.body, QByteArray("after"));
        QVERIFY(tls.lastRequestHeaders("/after").contains("\r\nCookie: sid=s3cret\r\n"));
    }

private:
    // Both servers by one name, which cookies go to whatever the port, and
    // which curl does not take for a safe loopback as it takes 127.0.0.1.
    void pinPagesTest(const HttpTestServer& tls) {
        tlsHost = "pages.test:" + QByteArray::number(tls.port());
        plainHost = "pages.test:" + QByteArray::number(server->port());
        reader->pinAddresses({tlsHost + ":127.0.0.1", plainHost + ":127.0.0.1"});
    }
    QByteArray expand(QByteArray text) const {
        return text.replace("{tls}", "https://" + tlsHost)
            .replace("{plain}", "http://" + plainHost)
            .replace("{plainHost}", plainHost);
    }

    std::unique_ptr<HttpTestServer> server;
    std::unique_ptr<CurlPageReader> reader;
    QByteArray tlsHost;
    QByteArray plainHost;
};

QTEST_MAIN(TestCurlPageReaderHttps)
#include "tst_curl_page_reader_https.moc"
