#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <memory>
#include <optional>

// Undoes the content coding of an answer's body (gzip or deflate) piece by
// piece, so that the decoded page can be handed out in bounded steps. A body
// that is corrupt, stops before its coded stream ends, or expands like a
// decompression bomb is refused rather than taken for the page.
class ContentDecoder {
public:
    enum class Coding { Gzip, Deflate };

    // The coding a Content-Encoding header names: nullopt for none (or
    // "identity"); `known` is false for a coding this reader cannot undo.
    static std::optional<Coding> codingOf(const QByteArray& contentEncoding, bool* known);

    explicit ContentDecoder(Coding coding);
    ~ContentDecoder();
    ContentDecoder(const ContentDecoder&) = delete;
    ContentDecoder& operator=(const ContentDecoder&) = delete;

    // Queues more of the coded body.
    void push(QByteArrayView coded);
    // Coded bytes queued and not yet decoded.
    qsizetype pending() const { return input_.size() - used_; }
    // Appends at most `room` decoded bytes to `out`. Returns false once the
    // body proves corrupt or too expansive; it stays refused after that.
    bool decode(QByteArray& out, qsizetype room);
    // The coded stream has ended as its format says, with nothing after it.
    bool complete() const { return ended_ && pending() == 0 && !failed_; }
    // Nothing at all came: an empty body, which is taken as an empty page.
    bool untouched() const { return !started_ && pending() == 0 && !failed_; }

private:
    bool start();
    bool refuse();

    struct Stream;
    std::unique_ptr<Stream> stream_;
    Coding coding_;
    QByteArray input_;
    qsizetype used_ = 0;
    qint64 totalIn_ = 0;
    qint64 totalOut_ = 0;
    bool started_ = false;
    bool ended_ = false;
    bool failed_ = false;
};
