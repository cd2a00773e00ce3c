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
        for (std::int32_t code : {internetErrorCode(E::SslHandshakeFailedError, false),
                                  internetErrorCode(E::SslHandshakeFailedError, false, expired),
                                  internetErrorCode(E::SslHandshakeFailedError, false, selfSigned),
                                  internetErrorCode(E::SslHandshakeFailedError, false, mismatch),
                                  internetErrorCode(E::InsecureRedirectError, true),
                                  internetErrorCode(E::TooManyRedirectsError, true),
                                  internetErrorCode(E::ProtocolFailure, true)})
            QVERIFY2(code > 12036, qPrintable(QString::number(code)));
        QCOMPARE(internetErrorCode(E::SslHandshakeFailedError, false, expired), 12037);
        QCOMPARE(internetErrorCode(E::SslHandshakeFailedError, false, mismatch), 12038);
        QCOMPARE(internetErrorCode(E::SslHandshakeFailedError, false, selfSigned), 12045);
    }

    // An HTTP error status is a page like any other, but only when an answer
    // actually came in.
    void statusErrorsOpenOnlyWithAStatus() {
        using E = QNetworkReply::NetworkError;
        for (E e : {E::ContentNotFoundError, E::ContentAccessDenied, E::InternalServerError,
                    E::ServiceUnavailableError, E::ProtocolInvalidOperationError,
                    E::AuthenticationRequiredError, E::UnknownContentError}) {
            QCOMPARE(internetErrorCode(e, true), 0);
            QVERIFY(internetErrorCode(e, false) != 0);
        }
    }

    void transportFailuresKeepTheirCodeAfterTheHeaders() {
        using E = QNetworkReply::NetworkError;
        QCOMPARE(internetErrorCode(E::RemoteHostClosedError, true), 12030);
        QCOMPARE(internetErrorCode(E::TimeoutError, true), 12002);
        QCOMPARE(internetErrorCode(E::HostNotFoundError, false), 12007);
        QCOMPARE(internetErrorCode(E::ConnectionRefusedError, false), 12029);
        QCOMPARE(internetErrorCode(E::NoError, false), 0);
    }
};

QTEST_MAIN(TestInternetErrorMap)
#include "tst_internet_error_map.moc"
