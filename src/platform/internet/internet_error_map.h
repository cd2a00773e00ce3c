#pragma once

#include "platform/internet_errors.h"

#include <curl/curl.h>

#include <cstdint>

// What curl said of a finished transfer, as far as the code depends on it.
struct CurlOutcome {
    CURLcode result = CURLE_OK;
    long certificateCheck = 0; // OpenSSL's verify result (X509_V_*)
    long osError = 0;          // errno of the failing socket call, 0 for none
    bool requestSent = false;  // the request for the last address curl took went out
    // A request of the download went out, so a later address came from the
    // server's redirect.
    bool anyRequestSent = false;
};

// The one place where curl's failures become internet error codes.
std::int32_t internetErrorCode(const CurlOutcome& outcome);
