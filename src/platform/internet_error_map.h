#pragma once

#include "platform/internet_api.h"

#include <QList>
#include <QNetworkReply>
#include <QSslError>

#include <cstdint>

namespace InternetError {
// Codes of the same internet API beyond the first block; their text is
// "Error details not available." for the user.
inline constexpr std::int32_t OperationCancelled = 12017;
inline constexpr std::int32_t CertDateInvalid = 12037;
inline constexpr std::int32_t CertNameInvalid = 12038;
inline constexpr std::int32_t HttpsToHttpOnRedirect = 12040;
inline constexpr std::int32_t InvalidCertificateAuthority = 12045;
inline constexpr std::int32_t CertErrors = 12055;
inline constexpr std::int32_t InvalidServerResponse = 12152;
inline constexpr std::int32_t RedirectFailed = 12156;
inline constexpr std::int32_t SecurityChannelError = 12157;
inline constexpr std::int32_t CertRevoked = 12170;
inline constexpr std::int32_t DecodingFailed = 12175;
inline constexpr std::int32_t InvalidParameter = 87;
} // namespace InternetError

// The one place where network failures become internet error codes.
// `httpStatus` is the status of the answer that came in, 0 when none did.
// Returns 0 when the error only reports an HTTP error status (400 and up):
// such a page still opens and its body is read.
std::int32_t internetErrorCode(QNetworkReply::NetworkError error, int httpStatus,
                               const QList<QSslError>& sslErrors = {});
