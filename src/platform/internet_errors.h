#pragma once

#include <cstdint>

// Every error code a page read can end with (PageResult::error).
// The codes from 12001 to 12036 have a message of their own for the user;
// every other code reads "Error details not available.".
namespace InternetError {
inline constexpr std::int32_t InvalidHandle = 6;
inline constexpr std::int32_t InvalidParameter = 87;

inline constexpr std::int32_t Timeout = 12002;
inline constexpr std::int32_t InternalError = 12004;
inline constexpr std::int32_t InvalidUrl = 12005;
inline constexpr std::int32_t UnrecognizedScheme = 12006;
inline constexpr std::int32_t NameNotResolved = 12007;
inline constexpr std::int32_t OperationCancelled = 12017;
inline constexpr std::int32_t CannotConnect = 12029;
inline constexpr std::int32_t ConnectionAborted = 12030;
inline constexpr std::int32_t ConnectionReset = 12031;

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

// The server answered with a status from 500 to 599: no page, but a failed
// read, whose text names the status. WinInet has no such code, taking any
// status for a page; the number is this program's own.
inline constexpr std::int32_t ServerError = 12500;
} // namespace InternetError
