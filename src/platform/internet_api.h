#pragma once

#include "platform/internet_errors.h"

#include <QByteArray>

#include <cstdint>

// The internet reader calls the page fetcher is written against: open a
// session, open a URL, read it in pieces, close handles, and the error code the
// last call left behind.
using InternetHandle = std::uint32_t; // 0 means "no handle"

class InternetApi {
public:
    virtual ~InternetApi() = default;

    // Returns a session handle, or 0 on failure.
    virtual InternetHandle InternetOpen(const QByteArray& agent) = 0;
    // Returns a URL handle once the response headers are in, or 0 on failure.
    virtual InternetHandle InternetOpenUrl(InternetHandle session, const QByteArray& url) = 0;
    // Reads up to `toRead` bytes; *bytesRead is 0 at the end of the body.
    virtual bool InternetReadFile(InternetHandle url, char* buffer, std::uint32_t toRead,
                                  std::uint32_t* bytesRead) = 0;
    virtual bool InternetCloseHandle(InternetHandle handle) = 0;
    // The body length the answer announces, or -1 when it names none. Only a
    // hint: the body may turn out shorter or longer.
    virtual std::int64_t contentLength(InternetHandle /*url*/) const { return -1; }
    // The code the most recent call above left, 0 when it succeeded.
    virtual std::int32_t lastError() const = 0;
};
