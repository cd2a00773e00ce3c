#include "platform/internet_error_map.h"

#include <QtTest>

// Failures the tests cannot provoke on the loopback server: what the user
// would read for them must still be right.
class TestInternetErrorMap : public QObject {
    Q_OBJECT

private slots:
    // No message of the first block fits these, so the user reads the
    // default text rather than a wrong one.
    void securityAndRedirectFailuresLieOutsideTheMessageBlock() {
        using E = QNetworkReply::NetworkError;
        const QList<QSslError> expired{QSslError(QSslError::CertificateExpired)};
        const QList<QSslError> selfSigned{QSslError(QSslError::SelfSignedCertificate)};
        const QList<QSslError> mismatch{QSslError(QSslError::HostNameMismatch)};
        for (std::int32_t code : {internetErrorCode(E::SslHandshakeFailedError, 0),
                                  internetErrorCode(E::SslHandshakeFailedError, 0, expired),
                                  internetErrorCode(E::SslHandshakeFailedError, 0, selfSigned),
                                  internetErrorCode(E::SslHandshakeFailedError, 0, mismatch),
                                  internetErrorCode(E::InsecureRedirectError, 301),
                                  internetErrorCode(E::TooManyRedirectsError, 302),
                                  internetErrorCode(E::ProtocolFailure, 200)})
            QVERIFY2(code > 12036, qPrintable(QString::number(code)));
        QCOMPARE(internetErrorCode(E::SslHandshakeFailedError, 0, expired), 12037);
        QCOMPARE(internetErrorCode(E::SslHandshakeFailedError, 0, mismatch), 12038);
        QCOMPARE(internetErrorCode(E::SslHandshakeFailedError, 0, selfSigned), 12045);
    }

    // An HTTP error status is a page like any other, but only when an answer
    // with such a status actually came in. The same errors on a sound status
    // report a body that went wrong (one that cannot be decompressed, say).
    void statusErrorsOpenOnlyWithAnErrorStatus() {
        using E = QNetworkReply::NetworkError;
        for (E e : {E::ContentNotFoundError, E::ContentAccessDenied, E::InternalServerError,
                    E::ServiceUnavailableError, E::ProtocolInvalidOperationError,
                    E::AuthenticationRequiredError, E::UnknownContentError}) {
            QCOMPARE(internetErrorCode(e, 404), 0);
            QCOMPARE(internetErrorCode(e, 400), 0);
            QCOMPARE(internetErrorCode(e, 503), 0);
            QVERIFY(internetErrorCode(e, 0) != 0);
            QVERIFY(internetErrorCode(e, 200) != 0);
            QVERIFY(internetErrorCode(e, 399) != 0);
        }
        QCOMPARE(internetErrorCode(E::UnknownContentError, 200), InternetError::DecodingFailed);
    }

    void transportFailuresKeepTheirCodeAfterTheHeaders() {
        using E = QNetworkReply::NetworkError;
        QCOMPARE(internetErrorCode(E::RemoteHostClosedError, 200), 12030);
        QCOMPARE(internetErrorCode(E::RemoteHostClosedError, 404), 12030);
        QCOMPARE(internetErrorCode(E::TimeoutError, 200), 12002);
        QCOMPARE(internetErrorCode(E::HostNotFoundError, 0), 12007);
        QCOMPARE(internetErrorCode(E::ConnectionRefusedError, 0), 12029);
        QCOMPARE(internetErrorCode(E::NoError, 0), 0);
        QCOMPARE(internetErrorCode(E::NoError, 500), 0);
    }
};

QTEST_MAIN(TestInternetErrorMap)
#include "tst_internet_error_map.moc"
