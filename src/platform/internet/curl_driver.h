#pragma once

#include "platform/internet/kept_connections.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>

#include <curl/curl.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct CurlTransfer;

// How long a download may wait: connecting, or a silence while reading, is
// bounded by idleMs; a whole download, however it trickles, by overallMs.
struct CurlTimeouts {
    int idleMs = 30000;
    int overallMs = 10 * 60 * 1000;
};

// Runs every download on one curl multi handle, driven by the event loop of
// the thread that made the driver (socket notifiers and timers), so a page's
// bytes pass from the socket to the reader with no other thread between them.
// Nothing here blocks: name look-ups run on curl's own threads. Connections,
// cookies, TLS sessions and name look-ups are shared between the downloads of
// one driver and kept between them; a cookie that came over HTTPS goes back
// over HTTPS only. A download holds at most about a megabyte
// that nobody has taken: past that, curl is told to pause it, so memory stays
// bounded whatever the page's size. Every call is made on the driver's thread.
class CurlDriver {
public:
    // `wake` runs whenever a download moved on (bytes came, or it ended),
    // from the event loop and never from inside curl, so it may call back in
    // here.
    CurlDriver(CurlTimeouts timeouts, std::function<void()> wake);
    ~CurlDriver(); // stops at once, whatever is under way
    CurlDriver(const CurlDriver&) = delete;
    CurlDriver& operator=(const CurlDriver&) = delete;

    // Starts a GET of `url` (already checked and encoded).
    std::shared_ptr<CurlTransfer> start(const QByteArray& url, const QByteArray& agent);
    // Stops a download; nothing more of it reaches anyone.
    void cancel(const std::shared_ptr<CurlTransfer>& transfer);

    // Moves up to `max` bytes of the body that came to `out` and tells how
    // many; a download held back goes on once little enough is left.
    qsizetype take(const std::shared_ptr<CurlTransfer>& transfer, char* out, qsizetype max);

    // Host names taken to the given addresses without asking the resolver,
    // as "host:port:address" entries, for downloads started afterwards.
    void pinAddresses(const QList<QByteArray>& entries);

private:
    using Clock = std::chrono::steady_clock;

    void add(const std::shared_ptr<CurlTransfer>& transfer);
    void askAgain(const std::shared_ptr<CurlTransfer>& transfer);
    void drop(const std::shared_ptr<CurlTransfer>& transfer);
    void finish(const std::shared_ptr<CurlTransfer>& transfer, std::int32_t failure);
    void enforceDeadlines();
    int untilNextDeadlineMs() const;
    void armWatchdog();

    // Lets curl act on a socket (or on its timeout), then settles what that
    // changed: downloads that ended, the watchdog, the wake.
    void act(curl_socket_t socket, int events);
    void settle();
    static int onSocket(CURL* easy, curl_socket_t socket, int what, void* self, void* watch);
    static int onTimer(CURLM* multi, long ms, void* self);

    static int onRequest(void* transfer, char*, char* localAddress, int, int localPort);
    static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* self);
    // False when the answer ends the download there.
    bool endOfHead(CurlTransfer& transfer);
    void keepCookieSecure(CurlTransfer& transfer, const QByteArray& name);
    std::size_t body(CurlTransfer& transfer, const char* data, std::size_t size);
    static std::int32_t faultAtEnd(CurlTransfer& transfer);

    CurlTimeouts timeouts_;
    std::function<void()> wake_;
    CURLM* multi_ = nullptr;
    CURLSH* share_ = nullptr;
    // On the shared cookies, outside every download; without it no cookie is
    // kept at all.
    CURL* cookieEditor_ = nullptr;
    std::vector<curl_slist*> pins_; // kept while any download may read them
    bool moved_ = false;            // a download moved on since the last wake
    std::vector<std::shared_ptr<CurlTransfer>> active_;
    KeptConnections connections_;

    // Owns the socket notifiers, so whatever curl did not take back goes
    // with the driver.
    QObject sockets_;
    QTimer curlTimer_; // when curl asked to be called back
    QTimer watchdog_;  // the next download that may be late
};
