#pragma once

#include <QByteArray>
#include <QList>

#include <curl/curl.h>

#include <chrono>
#include <cstdint>

// One download, as the driver and its reader share it: the reader reads what
// it sees here and takes the body through the driver.
struct CurlTransfer {
    QByteArray url;
    QByteArray agent;

    // What the reader sees.
    QByteArray body; // what came and was not taken yet, from `taken` on
    qsizetype taken = 0;
    bool bodyBegun = false; // the final answer's body has begun
    bool ended = false;     // nothing more will come
    bool cancelled = false;
    bool paused = false; // curl holds the rest back until some is taken
    std::int32_t failure = 0;
    // What the answer that carries the body announces: its length (-1 for
    // none, only a hint) and its content codings.
    std::int64_t contentLength = -1;
    QByteArray contentEncoding;
    // The status of the last answer's head, and its reason phrase as sent.
    long status = 0;
    QByteArray reason;

    qsizetype unread() const { return body.size() - taken; }

    // The driver's alone.
    CURL* easy = nullptr;
    std::chrono::steady_clock::time_point lastHeard;
    std::chrono::steady_clock::time_point deadline;
    std::int32_t ownFailure = 0; // found by the driver itself; wins over curl's code
    bool secure = false;         // a request of this download went out over HTTPS
    long requestHop = -1;        // redirects followed when the last request went out
    long connects = 0;           // connections made for it when the last request went out
    curl_socket_t socket = CURL_SOCKET_BAD; // the connection of the last request
    // Its request was about to go out on a kept connection with bytes
    // waiting; it is asked again over connections of its own.
    bool stale = false;
    int askedAgain = 0; // times so far
    // A new head is awaited once a request went out or an interim answer
    // ended; after a head ended, lines are the trailers of its body.
    enum class HeadState { Awaited, Open, Ended } headState = HeadState::Awaited;
    // The headers of the answer coming in.
    struct Head {
        QList<QByteArray> lengths;
        QByteArray transferEncoding;
        QByteArray contentEncoding;
        std::int64_t contentLength = -1;
    } head;
};
