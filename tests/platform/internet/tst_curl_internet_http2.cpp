#include "nghttpd_server.h"
#include "platform/internet/curl_internet.h"
#include "test_certificate.h"

#include <QtTest>

// Against a server that speaks nothing but HTTP/2.
class TestCurlInternetHttp2 : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QString why;
        QVERIFY2(server.start(&why), qPrintable(why));
    }

    // Pages come whole, the large one through many pauses while the reader
    // lets the window's events run, and the second read goes over the
    // connection of the first.
    void pagesComeWholeOverOneConnection() {
        QByteArray large(6 * 1024 * 1024 + 17, Qt::Uninitialized);
        for (qsizetype i = 0; i < large.size(); ++i)
            large[i] = static_cast<char>('a' + (i * 13 + i / 4099) % 26);
        QVERIFY(server.setFile(QStringLiteral("page.html"), "<html>h2 page</html>"));
        QVERIFY(server.setFile(QStringLiteral("large.html"), large));
        TrustedTestCertificate trusted;
        CurlInternet net(CurlInternet::Timeouts{5000, 60000});
        const InternetHandle session = net.InternetOpen("vigilo-test/1.0");
        for (const auto& [path, body] :
             {std::pair{"/page.html", QByteArray("<html>h2 page</html>")},
              std::pair{"/large.html", large}}) {
            const InternetHandle url = net.InternetOpenUrl(session, server.url(path).toLatin1());
            QVERIFY2(url != 0, qPrintable(QString::number(net.lastError())));
            QCOMPARE(net.contentLength(url), body.size());
            // Unread, the large page is held back, and goes on once read.
            if (body.size() > 2 * 1024 * 1024)
                QTRY_VERIFY(net.backlog(url).heldBack);
            QByteArray got;
            char buffer[2048];
            std::uint32_t n = 0;
            do {
                QCoreApplication::processEvents();
                QVERIFY2(net.InternetReadFile(url, buffer, sizeof buffer, &n),
                         qPrintable(QString::number(net.lastError())));
                QVERIFY(n == sizeof buffer || got.size() + n == body.size());
                got.append(buffer, n);
            } while (n > 0);
            QVERIFY(got == body);
            QVERIFY(net.InternetCloseHandle(url));
        }
        QCOMPARE(server.sessions().size(), 1);
    }

    // Without the user's trust the certificate is refused, as over HTTP/1.1.
    void untrustedCertificateIsRefused() {
        CurlInternet net(CurlInternet::Timeouts{5000, 60000});
        const InternetHandle session = net.InternetOpen("vigilo-test/1.0");
        QCOMPARE(net.InternetOpenUrl(session, server.url("/page.html").toLatin1()),
                 InternetHandle{0});
        QCOMPARE(net.lastError(), 12045);
    }

private:
    NghttpdServer server;
};

QTEST_MAIN(TestCurlInternetHttp2)
#include "tst_curl_internet_http2.moc"
