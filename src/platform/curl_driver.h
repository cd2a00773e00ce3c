#pragma once

#include <QByteArray>

#include <curl/curl.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

struct CurlTransfer;

// How long a download may wait: connecting, or a silence while reading, is
// bounded by idleMs; a whole download, however it trickles, by overallMs.
struct CurlTimeouts {
    int idleMs = 30000;
    int overallMs = 10 * 60 * 1000;
};

// Runs every download on one curl multi handle, on a thread of its own, so
// that the window's thread only ever takes bytes that have already come.
// Connections, cookies, TLS sessions and name look-ups are shared between the
// downloads of one driver and kept between them. A download holds at most
// about a megabyte that nobody has taken: past that, curl is told to pause
// it, so memory stays bounded whatever the page's size.
class CurlDriver {
public:
    // `wake` runs on the driver's thread whenever a download moved on while
    // someone waits for one (see beginWait).
    CurlDriver(CurlTimeouts timeouts, std::function<void()> wake);
    ~CurlDriver(); // stops at once, whatever is under way
    CurlDriver(const CurlDriver&) = delete;
    CurlDriver& operator=(const CurlDriver&) = delete;

    // Starts a GET of `url` (already checked and encoded).
    std::shared_ptr<CurlTransfer> start(const QByteArray& url, const QByteArray& agent);
    // Stops a download; nothing more of it reaches anyone.
    void cancel(const std::shared_ptr<CurlTransfer>& transfer);

    // A download as the reader sees it at one moment.
    struct View {
        bool bodyBegun = false; // the final answer's body has begun
        bool ended = false;     // nothing more will come
        bool paused = false;    // held back until some of it is taken
        std::int32_t failure = 0;
        qsizetype unread = 0;
        std::int64_t contentLength = -1;
    };
    View view(const std::shared_ptr<CurlTransfer>& transfer) const;
    // The content codings of the answer that carries the body.
    QByteArray contentEncoding(const std::shared_ptr<CurlTransfer>& transfer) const;
    // Moves up to `max` bytes of the body that came to `out` and tells how
    // many. The view after that is left in `after` when asked for.
    qsizetype take(const std::shared_ptr<CurlTransfer>& transfer, char* out, qsizetype max,
                   View* after = nullptr);

    // Between these two calls, every change of a download calls `wake`.
    void beginWait();
    void endWait();

private:
    using Clock = std::chrono::steady_clock;

    void run();
    void add(const std::shared_ptr<CurlTransfer>& transfer);
    void drop(const std::shared_ptr<CurlTransfer>& transfer);
    void finish(const std::shared_ptr<CurlTransfer>& transfer, std::int32_t failure);
    void resume(const std::shared_ptr<CurlTransfer>& transfer);
    void enforceDeadlines();
    int pollMs() const;
    View viewLocked(const CurlTransfer& transfer) const;
    void wakeLocked();

    static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* self);
    bool endOfHead(CurlTransfer& transfer);
    std::size_t body(CurlTransfer& transfer, const char* data, std::size_t size);

    CurlTimeouts timeouts_;
    std::function<void()> wake_;
    CURLM* multi_ = nullptr;
    CURLSH* share_ = nullptr;

    // Guarded by mutex_, with the shared fields of every transfer.
    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<CurlTransfer>> toAdd_;
    std::vector<std::shared_ptr<CurlTransfer>> toDrop_;
    std::vector<std::shared_ptr<CurlTransfer>> toResume_;
    int waiters_ = 0;
    bool stopping_ = false;

    // The driver's thread alone.
    std::vector<std::shared_ptr<CurlTransfer>> active_;
    std::thread thread_;
};
