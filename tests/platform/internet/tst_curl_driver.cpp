#include "http_test_server.h"
#include "nghttpd_server.h"
#include "platform/internet/curl_driver.h"
#include "platform/internet/curl_transfer.h"
#include "test_certificate.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QtTest>

// The driver under a reader that does not take what comes.
class TestCurlDriver : public QObject {
    Q_OBJECT

private slots:
    // While nobody takes it, a download holds about a megabyte of its body
    // and curl is told to hold the rest back, over HTTP/1.1 and HTTP/2; a
    // download held back is no silence, however long; and the rest comes
    // once it is taken.
    void unreadBodyStaysBounded_data() {
        QTest::addColumn<bool>("http2");
        QTest::newRow("HTTP/1.1") << false;
        QTest::newRow("HTTP/2") << true;
    }
    void unreadBodyStaysBounded() {
        QFETCH(bool, http2);
        QByteArray body(16 * 1024 * 1024, Qt::Uninitialized);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(body.data()), body.size() / 4);
        HttpTestServer plain;
        NghttpdServer h2;
        QString url = plain.url("/held");
        if (http2) {
            QString why;
            if (!h2.start(&why))
                QSKIP(qPrintable("No HTTP/2 server here: " + why));
            QVERIFY(h2.setFile(QStringLiteral("held"), body));
            url = h2.url("/held");
        } else {
            plain.setBody("/held", body);
        }
        TrustedTestCertificate trusted;
        int wakes = 0;
        CurlDriver driver(CurlTimeouts{300, 60000}, [&] { ++wakes; });
        const auto transfer = driver.start(url.toLatin1(), "vigilo-test/1.0");
        QTRY_VERIFY(transfer->paused);
        QVERIFY2(transfer->unread() <= 1536 * 1024,
                 qPrintable(QString::number(transfer->unread())));
        QElapsedTimer clock;
        clock.start();
        QTRY_VERIFY_WITH_TIMEOUT(clock.elapsed() > 1000, 5000); // over three idle bounds
        QVERIFY(!transfer->ended);

        QByteArray got;
        QByteArray piece(256 * 1024, Qt::Uninitialized);
        while (!transfer->ended || transfer->unread() > 0) {
            const qsizetype n = driver.take(transfer, piece.data(), piece.size());
            got.append(piece.constData(), n);
            if (n == 0) {
                const int before = wakes;
                QTRY_VERIFY(wakes > before);
            }
        }
        QCOMPARE(transfer->failure, 0);
        QVERIFY(got == body);
    }
};

QTEST_MAIN(TestCurlDriver)
#include "tst_curl_driver.moc"
