#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <utility>

// Reads an HTTP/1.1 answer from the bytes of its connection: the status line
// and header fields, then the body as its framing says (a Content-Length,
// chunks, or everything up to the close). Whatever breaks that framing is
// refused, so a body is never taken as complete unless it ended as framed.
class HttpResponseReader {
public:
    enum class State { Head, Body, Done, Failed };
    enum class Failure {
        None,
        Malformed,   // not HTTP, or a framing that cannot be followed
        Unsupported, // a transfer coding other than chunked
        CutShort,    // the connection closed before the body ended
    };
    using Fields = QList<std::pair<QByteArray, QByteArray>>;

    // Takes bytes of the connection and appends the body's bytes to `body`.
    // Stops right after the head of the final answer, so the caller can look
    // at it before any body byte arrives. Returns the count of bytes taken.
    qsizetype feed(QByteArrayView in, QByteArray& body);
    // The connection has closed: the end of a body that runs to the close,
    // a cut for any other.
    void closed();
    // True once, right after the head of the final answer is in.
    bool takeHead();
    // How many of the next bytes of the connection are body bytes as they
    // stand, with no framing among them (0 when the next bytes are framing,
    // or the answer has ended). A caller may move them into the body itself
    // and tell the count through bodyTaken, instead of feeding them.
    qint64 plainBodyAhead() const;
    void bodyTaken(qint64 count);

    State state() const { return state_; }
    Failure failure() const { return failure_; }
    int status() const { return status_; }
    const QByteArray& reason() const { return reason_; }
    const Fields& fields() const { return fields_; }
    // The field's values, joined by ", " when it came more than once.
    QByteArray field(QByteArrayView name) const;

private:
    enum class Step { StatusLine, Field, Length, ChunkSize, ChunkData, ChunkEnd, Trailer, ToClose };

    void line(QByteArray text);
    void statusLine(const QByteArray& text);
    void headEnded();
    void chunkSize(const QByteArray& text);
    void fail(Failure failure);
    void done();

    State state_ = State::Head;
    Failure failure_ = Failure::None;
    Step step_ = Step::StatusLine;
    QByteArray pending_; // the line being read
    qsizetype headBytes_ = 0;
    qint64 left_ = 0; // body or chunk bytes still to come
    int status_ = 0;
    QByteArray reason_;
    Fields fields_;
    bool headTaken_ = true;
};
