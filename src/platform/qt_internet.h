#pragma once

#include "platform/internet_api.h"

#include <QByteArray>
#include <QHash>
#include <QObject>

#include <cstdint>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;

// How long a download may wait: connecting, or a silence while reading, is
// bounded by idleMs; a whole download, however it trickles, by overallMs.
struct QtInternetTimeouts {
    int idleMs = 30000;
    int overallMs = 10 * 60 * 1000;
};

// The internet reader on Qt's network stack. Every call waits in a local event
// loop, so the window keeps handling its events while a page comes in; those
// events may call back in here (another open, closing a handle) safely.
class QtInternet : public QObject, public InternetApi {
    Q_OBJECT
public:
    using Timeouts = QtInternetTimeouts;

    explicit QtInternet(Timeouts timeouts = {});
    ~QtInternet() override;

    InternetHandle InternetOpen(const QByteArray& agent) override;
    InternetHandle InternetOpenUrl(InternetHandle session, const QByteArray& url) override;
    bool InternetReadFile(InternetHandle url, char* buffer, std::uint32_t toRead,
                          std::uint32_t* bytesRead) override;
    bool InternetCloseHandle(InternetHandle handle) override;
    std::int64_t contentLength(InternetHandle url) const override;
    std::int32_t lastError() const override { return lastError_; }

    // Handles still open, sessions included.
    int openHandleCount() const { return static_cast<int>(handles_.size()); }

private:
    struct Handle;
    enum class Until { Headers, Bytes };

    InternetHandle add(std::shared_ptr<Handle> handle);
    bool wait(const std::shared_ptr<Handle>& handle, Until until, qint64 bytes);
    void release(Handle& handle);
    bool fail(std::int32_t code);

    Timeouts timeouts_;
    QNetworkAccessManager* manager_;
    QHash<InternetHandle, std::shared_ptr<Handle>> handles_;
    InternetHandle next_ = 1;
    std::int32_t lastError_ = 0;
};
