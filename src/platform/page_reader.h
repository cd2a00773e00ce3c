#pragma once

#include "platform/internet_errors.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <cstdint>

// What one page read asks for.
struct PageRequest {
    // The address as it goes out: Latin-1 bytes as typed, or the ASCII form
    // of an address with characters beyond Latin-1.
    QByteArray url;
    QByteArray agent; // the User-Agent the server is told
    // An earlier page's buffer for this read to fill, sparing fresh memory;
    // may be empty.
    QByteArray room;
};

// How one page read ended.
struct PageResult {
    QByteArray body;        // the whole page, its codings undone; empty on a failure
    std::int32_t error = 0; // 0 when the page came whole, else an InternetError code
    // The failure in words where the code's own text would say less (a server
    // error names its status); empty otherwise.
    QString errorText;

    bool ok() const { return error == 0; }
};

// Reads one page at a time. A read ends in a result: fetch() returns at once
// and finished() follows exactly once, from the event loop, never from inside
// fetch() or abandon(). Nothing here waits for the network.
class PageReader : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Starts reading; a read still under way is abandoned first.
    virtual void fetch(PageRequest request) = 0;
    // Abandons the read under way, if any: nothing more of it is emitted.
    virtual void abandon() = 0;

signals:
    // More of the page came: `bytes` bytes of it so far, codings undone.
    void progressed(qint64 bytes);
    void finished(const PageResult& result);
};
