#include "nghttpd_server.h"
#include "platform/internet/curl_page_reader.h"
#include "reader_rig.h"
#include "test_certificate.h"

#include <QtTest>

// Against a server that speaks nothing but HTTP/2.
class TestCurlPageReaderHttp2 : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QString why;
        QVERIFY2(server.start(&why), qPrintable(why));
    }

    // Pages come whole, the large one in many pieces, and the second read
    // goes over the connection of the first.
    void pagesComeWholeOverOneConnection() {
        QByteArray large(6 * 1024 * 1024 + 17, Qt::Uninitialized);
        for (qsizetype i = 0; i < large.size(); ++i)
            large[i] = static_cast<char>('a' + (i * 13 + i / 4099) % 26);
        QVERIFY(server.setFile(QStringLiteral("page.html"), "<html>h2 page</html>"));
        QVERIFY(server.setFile(QStringLiteral("large.html"), large));
        TrustedTestCertificate trusted;
        CurlPageReader reader(CurlTimeouts{5000, 60000});
        for (const auto& [path, body] :
             {std::pair{"/page.html", QByteArray("<html>h2 page</html>")},
              std::pair{"/large.html", large}}) {
            const Read read = readPage(reader, server.url(path).toLatin1());
            QVERIFY(read.done);
            QCOMPARE(read.result.error, 0);
            QVERIFY(read.result.body == body);
            QCOMPARE(read.progress.last(), body.size());
        }
        QCOMPARE(server.sessions().size(), 1);
    }

    // Without the user's trust the certificate is refused, as over HTTP/1.1.
    void untrustedCertificateIsRefused() {
        CurlPageReader reader(CurlTimeouts{5000, 60000});
        QCOMPARE(readPage(reader, server.url("/page.html").toLatin1()).result.error, 12045);
    }

private:
    NghttpdServer server;
};

QTEST_MAIN(TestCurlPageReaderHttp2)
#include "tst_curl_page_reader_http2.moc"
