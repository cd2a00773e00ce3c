#include "platform/internet/internet_error_map.h"

#include <QtTest>

#include <cerrno>

// Failures the tests cannot provoke on the loopback server: what the user
// would read for them must still be right.
class TestInternetErrorMap : public QObject {
    Q_OBJECT

private slots:
    // OpenSSL's verdict on the chain decides the code; a chain it took with a
    // host name curl refused is a name mismatch. None of them may land in the
    // block with messages, so the user never reads a wrong one.
    void certificateFailures_data() {
        QTest::addColumn<long>("check");
        QTest::addColumn<int>("code");
        QTest::newRow("name mismatch, found by curl") << 1L << 12038;
        QTest::newRow("name mismatch, found by OpenSSL") << 62L << 12038;
        QTest::newRow("not yet valid") << 9L << 12037;
        QTest::newRow("expired") << 10L << 12037;
        QTest::newRow("self-signed") << 18L << 12045;
        QTest::newRow("unknown issuer") << 20L << 12045;
        QTest::newRow("revoked") << 23L << 12170;
        QTest::newRow("other") << 26L << 12055;
    }
    void certificateFailures() {
        QFETCH(long, check);
        QFETCH(int, code);
        QCOMPARE(internetErrorCode({CURLE_PEER_FAILED_VERIFICATION, check, 0}), code);
    }

    // A receive failure is the connection's when the socket reported one,
    // and the answer's own fault (a bad chunk size) when it did not.
    void receiveFailures() {
        QCOMPARE(internetErrorCode({CURLE_RECV_ERROR, 0, ECONNRESET}), 12031);
        QCOMPARE(internetErrorCode({CURLE_RECV_ERROR, 0, EPIPE}), 12030);
        QCOMPARE(internetErrorCode({CURLE_RECV_ERROR, 0, 0}), 12152);
        QCOMPARE(internetErrorCode({CURLE_OK, 0, ECONNRESET}), 0);
    }

    // curl says "unsupported protocol" both for an address of another scheme
    // and for an answer that is no HTTP; only the first is the scheme's fault.
    void notHttpOrNotAScheme() {
        CurlOutcome outcome{CURLE_UNSUPPORTED_PROTOCOL, 0, 0};
        QCOMPARE(internetErrorCode(outcome), 12006);
        outcome.requestSent = true;
        QCOMPARE(internetErrorCode(outcome), 12152);
    }

    // Memory that runs out before anything went out is the program's own
    // trouble; curl says the same of a head line it will not take.
    void outOfMemoryOrAHeadTooLong() {
        CurlOutcome outcome{CURLE_OUT_OF_MEMORY, 0, 0};
        QCOMPARE(internetErrorCode(outcome), 12004);
        outcome.requestSent = outcome.anyRequestSent = true;
        QCOMPARE(internetErrorCode(outcome), 12152);
    }
};

QTEST_MAIN(TestInternetErrorMap)
#include "tst_internet_error_map.moc"
