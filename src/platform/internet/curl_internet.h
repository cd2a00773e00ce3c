#pragma once

#include "platform/internet/curl_driver.h"
#include "platform/internet_api.h"

#include <QByteArray>
#include <QHash>
#include <QObject>

#include <cstdint>
#include <memory>

// The internet reader on libcurl: HTTP/1.1 and HTTP/2, the system's proxy
// settings, cookies for the program's run, connections kept between reads.
// Downloads run on the window's event loop; every call here that has to wait
// for them waits in a local event loop, so the window keeps handling its
// events meanwhile, and those events may call back in here (another open,
// closing a handle) safely. Content codings are undone here, strictly.
class CurlInternet : public QObject, public InternetApi {
    Q_OBJECT
public:
    using Timeouts = CurlTimeouts;

    explicit CurlInternet(Timeouts timeouts = {});
    ~CurlInternet() override;

    InternetHandle InternetOpen(const QByteArray& agent) override;
    InternetHandle InternetOpenUrl(InternetHandle session, const QByteArray& url) override;
    bool InternetReadFile(InternetHandle url, char* buffer, std::uint32_t toRead,
                          std::uint32_t* bytesRead) override;
    bool InternetCloseHandle(InternetHandle handle) override;
    std::int64_t contentLength(InternetHandle url) const override;
    std::int32_t lastError() const override { return lastError_; }

    // Handles still open, sessions included.
    int openHandleCount() const { return static_cast<int>(handles_.size()); }
    // What a download holds that nobody took yet, and whether it is held
    // back until some of that is read.
    struct Backlog {
        qsizetype bytes = 0;
        bool heldBack = false;
    };
    Backlog backlog(InternetHandle url) const;
    // Host names taken to the given addresses without asking the resolver,
    // as "host:port:address" entries (curl's --resolve); for opens after it.
    void pinAddresses(const QList<QByteArray>& entries) { driver_.pinAddresses(entries); }

signals:
    // A download moved on, or a handle was closed: every wait looks again.
    void progressed();

private:
    struct Handle;

    InternetHandle add(std::shared_ptr<Handle> handle);
    void release(Handle& handle);
    bool fail(std::int32_t code);
    // Waits until the download has begun its answer (`forAnswer`) or holds
    // some bytes, or has ended. False when the handle was closed meanwhile.
    bool wait(Handle& handle, bool forAnswer);
    // Fills `out` with up to `room` bytes of the page; false on a failure.
    // `held` keeps the handle alive across a wait, in which it may be closed.
    bool readPlain(Handle& handle, std::shared_ptr<Handle>& held, char* out, qsizetype room,
                   qsizetype* got);
    bool readDecoded(Handle& handle, std::shared_ptr<Handle>& held, char* out, qsizetype room,
                     qsizetype* got);

    CurlDriver driver_;
    QHash<InternetHandle, std::shared_ptr<Handle>> handles_;
    InternetHandle next_ = 1;
    std::int32_t lastError_ = 0;
};
