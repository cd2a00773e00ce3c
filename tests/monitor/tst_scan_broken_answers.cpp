#include "coded_body.h"
#include "monitor_rig.h"

#include <QtTest>

namespace {

const QByteArray kHead = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n";

} // namespace

// Broken answers at a period end: the window says so, and neither rings nor
// takes the broken body as the page.
class TstScanBrokenAnswers : public QObject {
    Q_OBJECT
private slots:
    void brokenAnswerIsNoUpdate_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("message");
        const QString noDetails = QStringLiteral("Error: Error details not available.");
        // The first chunk alone is a page of another length: taken for the
        // page, it would ring.
        QTest::newRow("chunk size zz")
            << kHead +
                   "Transfer-Encoding: chunked\r\n\r\nb\r\n<html>short\r\nzz\r\nrest\r\n0\r\n\r\n"
            << noDetails;
        QTest::newRow("body cut before its length")
            << kHead + "Content-Length: 40000\r\n\r\n" + QByteArray(12000, 'c')
            << QStringLiteral("Error: The connection with the server has been terminated.");
        QTest::newRow("gzip over a plain body")
            << kHead + "Content-Encoding: gzip\r\nContent-Length: 5\r\n\r\nplain" << noDetails;
    }
    void brokenAnswerIsNoUpdate() {
        QFETCH(QByteArray, answer);
        QFETCH(QString, message);
        MonitorRig rig;
        rig.form->Check1->setChecked(true);
        const QByteArray page = "<html>" + QByteArray(30000, 'p') + "</html>";
        rig.server.setBody("/page", page);
        rig.watch("/page");
        rig.form->Timer1_Timer();
        QCOMPARE(rig.plays(), 1);

        rig.server.setRaw("/page", answer);
        rig.form->Timer1_Timer();
        QCOMPARE(rig.plays(), 1);
        QCOMPARE(rig.fakes.messages.shown.size(), 1);
        QCOMPARE(rig.fakes.messages.shown[0].first, message);
        QCOMPARE(rig.form->monitor().sLastPageText, QString::fromLatin1(page));
        QCOMPARE(rig.form->monitor().objNetGet->GetRawHTML(), QString::fromLatin1(page));
        QVERIFY(rig.form->Timer1->enabled());

        // The sound page again, gzip-coded this time: the same length, so
        // still no update.
        rig.server.setRaw("/page", kHead + "Content-Encoding: gzip\r\n\r\n" +
                                       encodedBody(page, BodyCoding::Gzip));
        rig.form->Timer1_Timer();
        QCOMPARE(rig.plays(), 1);
        QCOMPARE(rig.fakes.messages.shown.size(), 1);
        QCOMPARE(rig.server.requestCount("/page"), 3);
    }
};

QTEST_MAIN(TstScanBrokenAnswers)
#include "tst_scan_broken_answers.moc"
