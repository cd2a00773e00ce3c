#pragma once

#include <QHash>

#include <curl/curl.h>

// The connections curl opened for the driver, each with the HTTP version of
// the last answer read on it, so that one kept for later can be looked at
// before a request goes out on it again.
class KeptConnections {
public:
    // curl's socket callbacks (CURLOPT_OPENSOCKETFUNCTION and
    // CURLOPT_CLOSESOCKETFUNCTION), given the table as their data.
    static curl_socket_t open(void* self, curlsocktype purpose, curl_sockaddr* address);
    static int close(void* self, curl_socket_t socket);

    // The socket whose local end is this address and port, CURL_SOCKET_BAD
    // when none is.
    curl_socket_t find(const char* localAddress, int localPort) const;
    void answered(curl_socket_t socket, long httpVersion);
    // Whether anything waits on an HTTP/1 connection before a request went
    // out on it: bytes past the last answer, which must never be read as the
    // answer to the next request, or over TLS perhaps the server closing it,
    // which cannot be told apart. HTTP/2 has frames of its own come at any
    // time, framed apart from every answer.
    bool hasBytesWaiting(curl_socket_t socket) const;

private:
    QHash<curl_socket_t, long> versions_; // 0 before any answer
};
