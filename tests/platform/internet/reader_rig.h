#pragma once

#include "platform/page_reader.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSignalSpy>

// One read as its caller sees it.
struct Read {
    bool done = false; // finished() came within the bound
    PageResult result;
    QList<qint64> progress; // each progressed() in turn
    int finishedCount = 0;
    bool finishedInsideFetch = false;
};

// Starts a read and lets the event loop run until it finishes.
inline Read readPage(PageReader& reader, const QByteArray& url, QByteArray room = {},
                     int boundMs = 30000) {
    Read read;
    QSignalSpy finished(&reader, &PageReader::finished);
    QObject context;
    QObject::connect(&reader, &PageReader::progressed, &context,
                     [&](qint64 bytes) { read.progress.append(bytes); });
    QObject::connect(&reader, &PageReader::finished, &context, [&](const PageResult& result) {
        read.result = result;
        ++read.finishedCount;
    });
    reader.fetch({url, "vigilo-test/1.0", std::move(room)});
    read.finishedInsideFetch = read.finishedCount > 0;
    read.done = read.finishedCount > 0 || finished.wait(boundMs);
    return read;
}

inline QByteArray pattern(qsizetype size) {
    QByteArray b(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        b[i] = static_cast<char>('a' + (i * 7 + i / 251) % 26);
    return b;
}

// Hand-written answers.
inline const QByteArray kHead = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n";

inline QByteArray chunkedHead() {
    return kHead + "Transfer-Encoding: chunked\r\n\r\n";
}

inline QByteArray lengthHead(qsizetype length, const QByteArray& extra = {}) {
    return kHead + extra + "Content-Length: " + QByteArray::number(length) + "\r\n\r\n";
}

inline QByteArray codedAnswer(const QByteArray& coding, const QByteArray& body) {
    return lengthHead(body.size(), "Content-Encoding: " + coding + "\r\n") + body;
}

// The body framed in chunks of `piece` bytes, each chunk sent as one piece.
inline QList<QByteArray> chunkedAnswer(const QByteArray& body, qsizetype piece) {
    QList<QByteArray> out{chunkedHead()};
    for (qsizetype at = 0; at < body.size(); at += piece) {
        const QByteArray chunk = body.mid(at, piece);
        out.append(QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n");
    }
    out.append("0\r\n\r\n");
    return out;
}

// No length and no chunks: the body ends where the server closes.
inline QList<QByteArray> closeDelimitedAnswer(const QByteArray& body, qsizetype piece) {
    QList<QByteArray> out{kHead + "\r\n"};
    for (qsizetype at = 0; at < body.size(); at += piece)
        out.append(body.mid(at, piece));
    return out;
}
