#pragma once

#include "platform/internet/curl_driver.h"
#include "platform/page_reader.h"

#include <QByteArray>
#include <QList>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <optional>

class ContentDecoder;
struct CurlTransfer;

// The page reader on libcurl: HTTP/1.1 and HTTP/2, the system's proxy
// settings, cookies for the program's run, connections kept between reads.
// A read runs on the event loop of the thread that made the reader and never
// waits on it. Content codings are undone here, strictly, a bounded step per
// round of that loop, so a huge coded page never holds the loop for long.
class CurlPageReader : public PageReader {
    Q_OBJECT
public:
    explicit CurlPageReader(CurlTimeouts timeouts = {}, QObject* parent = nullptr);
    ~CurlPageReader() override;

    void fetch(PageRequest request) override;
    void abandon() override;

    // Host names taken to the given addresses without asking the resolver,
    // as "host:port:address" entries (curl's --resolve), for reads after it.
    void pinAddresses(const QList<QByteArray>& entries) { driver_.pinAddresses(entries); }

private:
    // Takes in what came and decodes a step of it; ends the read once all
    // of it is in.
    void advance();
    // Decodes up to a step's worth; false once the read ended.
    bool decodeStep(bool* more);
    void failSoon(std::int32_t code);
    void end(std::int32_t failure, QString errorText = {});

    CurlDriver driver_;
    std::shared_ptr<CurlTransfer> transfer_;
    std::unique_ptr<ContentDecoder> decoder_;
    bool bodyStarted_ = false;
    QByteArray page_;  // the page so far, codings undone
    QByteArray coded_; // coded bytes on their way to the decoder
    // A failure found before any download began, told from the event loop.
    std::optional<std::int32_t> soon_;
    QTimer next_; // runs the next step, or tells that failure
    // Moves on with every read begun or abandoned, so that code running on
    // after a signal can tell that its read is gone.
    std::uint64_t read_ = 0;
};
