#include "platform/internet_error_map.h"

namespace {

std::int32_t certificateCode(const QList<QSslError>& sslErrors) {
    for (const QSslError& e : sslErrors) {
        switch (e.error()) {
        case QSslError::CertificateExpired:
        case QSslError::CertificateNotYetValid:
            return InternetError::CertDateInvalid;
        case QSslError::HostNameMismatch:
            return InternetError::CertNameInvalid;
        case QSslError::SelfSignedCertificate:
        case QSslError::SelfSignedCertificateInChain:
        case QSslError::UnableToGetLocalIssuerCertificate:
        case QSslError::UnableToGetIssuerCertificate:
        case QSslError::UnableToVerifyFirstCertificate:
        case QSslError::CertificateUntrusted:
            return InternetError::InvalidCertificateAuthority;
        case QSslError::CertificateRevoked:
            return InternetError::CertRevoked;
        default:
            break;
        }
    }
    return sslErrors.isEmpty() ? InternetError::SecurityChannelError : InternetError::CertErrors;
}

} // namespace

std::int32_t internetErrorCode(QNetworkReply::NetworkError error, int httpStatus,
                               const QList<QSslError>& sslErrors) {
    using E = QNetworkReply::NetworkError;
    const bool statusOnly = (error >= E::ContentAccessDenied && error <= E::UnknownContentError) ||
                            (error >= E::InternalServerError && error <= E::UnknownServerError) ||
                            error == E::ProtocolInvalidOperationError ||
                            error == E::ProxyAuthenticationRequiredError;
    // The same errors also stand for failures of a sound status's body, such
    // as one that cannot be decompressed.
    if (statusOnly && httpStatus >= 400)
        return 0;
    switch (error) {
    case E::NoError:
        return 0;
    case E::HostNotFoundError:
    case E::ProxyNotFoundError:
        return InternetError::NameNotResolved;
    case E::ConnectionRefusedError:
    case E::ProxyConnectionRefusedError:
    case E::TemporaryNetworkFailureError:
    case E::NetworkSessionFailedError:
    case E::BackgroundRequestNotAllowedError:
        return InternetError::CannotConnect;
    case E::RemoteHostClosedError:
    case E::ProxyConnectionClosedError:
        return InternetError::ConnectionAborted;
    case E::UnknownNetworkError:
        return InternetError::ConnectionReset;
    case E::TimeoutError:
    case E::ProxyTimeoutError:
        return InternetError::Timeout;
    case E::OperationCanceledError:
        return InternetError::OperationCancelled;
    case E::SslHandshakeFailedError:
        return certificateCode(sslErrors);
    case E::TooManyRedirectsError:
        return InternetError::RedirectFailed;
    case E::InsecureRedirectError:
        return InternetError::HttpsToHttpOnRedirect;
    case E::ProtocolUnknownError:
        return InternetError::UnrecognizedScheme;
    case E::UnknownContentError:
        return InternetError::DecodingFailed;
    default:
        return InternetError::InvalidServerResponse;
    }
}
