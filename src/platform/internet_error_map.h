#pragma once

#include "platform/internet_api.h"

#include <curl/curl.h>

#include <cstdint>

namespace InternetError {
// Codes of the same internet API beyond the first block; their text is
// "Error details not available." for the user.
inline constexpr std::int32_t InternalError = 12004;
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

// What curl said of a finished transfer, as far as the code depends on it.
struct CurlOutcome {
    CURLcode result = CURLE_OK;
    long certificateCheck = 0; // OpenSSL's verify result (X509_V_*)
    long osError = 0;          // errno of the failing socket call, 0 for none
    bool requestSent = false;  // the request for the last address curl took went out
};

// The one place where curl's failures become internet error codes.
std::int32_t internetErrorCode(const CurlOutcome& outcome);
