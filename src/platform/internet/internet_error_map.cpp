#include "platform/internet/internet_error_map.h"

#include <cerrno>

namespace {

// OpenSSL's X509_V_ERR_* codes. curl checks the host name itself before it
// reads OpenSSL's verdict, which then stays at its starting value (1).
std::int32_t certificateCode(long check) {
    switch (check) {
    case 0:
    case 1:
    case 62: // host name mismatch
    case 64: // IP address mismatch
        return InternetError::CertNameInvalid;
    case 9:  // certificate is not yet valid
    case 10: // certificate has expired
        return InternetError::CertDateInvalid;
    case 2:  // unable to get issuer certificate
    case 18: // self-signed certificate
    case 19: // self-signed certificate in chain
    case 20: // unable to get local issuer certificate
    case 21: // unable to verify the first certificate
    case 27: // certificate not trusted
        return InternetError::InvalidCertificateAuthority;
    case 23: // certificate revoked
        return InternetError::CertRevoked;
    default:
        return InternetError::CertErrors;
    }
}

} // namespace

std::int32_t internetErrorCode(const CurlOutcome& outcome) {
    switch (outcome.result) {
    case CURLE_OK:
        return 0;
    // Whatever curl could not take once a request went out is the server's
    // doing: the user's address and the program are not to blame.
    case CURLE_UNSUPPORTED_PROTOCOL:
        // Bytes that are no HTTP, or a redirect to another scheme.
        return outcome.requestSent      ? InternetError::InvalidServerResponse
               : outcome.anyRequestSent ? InternetError::RedirectFailed
                                        : InternetError::UnrecognizedScheme;
    case CURLE_URL_MALFORMAT:
        return outcome.anyRequestSent ? InternetError::RedirectFailed : InternetError::InvalidUrl;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
        return InternetError::NameNotResolved;
    case CURLE_COULDNT_CONNECT:
        return InternetError::CannotConnect;
    case CURLE_OPERATION_TIMEDOUT:
        return InternetError::Timeout;
    case CURLE_TOO_MANY_REDIRECTS:
        return InternetError::RedirectFailed;
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
    case CURLE_HTTP2_STREAM:
        return InternetError::ConnectionAborted;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
        // Without a socket error the answer itself was at fault, such as a
        // chunk size that is no number.
        if (outcome.osError == ECONNRESET)
            return InternetError::ConnectionReset;
        return outcome.osError ? InternetError::ConnectionAborted
                               : InternetError::InvalidServerResponse;
    case CURLE_PEER_FAILED_VERIFICATION:
        return certificateCode(outcome.certificateCheck);
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_USE_SSL_FAILED:
        return InternetError::SecurityChannelError;
    case CURLE_BAD_CONTENT_ENCODING:
        return InternetError::DecodingFailed;
    case CURLE_ABORTED_BY_CALLBACK:
        return InternetError::OperationCancelled;
    case CURLE_OUT_OF_MEMORY:
        // curl says so of a head line past its bounds (100 kB).
        return outcome.requestSent ? InternetError::InvalidServerResponse
                                   : InternetError::InternalError;
    case CURLE_FAILED_INIT:
        return InternetError::InternalError;
    default:
        return InternetError::InvalidServerResponse;
    }
}
