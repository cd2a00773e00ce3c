#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <memory>
#include <vector>

// Undoes the content codings of an answer's body (gzip, deflate, brotli,
// zstd, stacked in any order) piece by piece, so that the decoded page can be
// handed out in bounded steps. Strict where browsers are lenient: a body that
// is corrupt, stops before its coded stream ends, carries anything after that
// end, or expands like a decompression bomb is refused rather than taken for
// the page.
class ContentDecoder {
public:
    class Stage;

    // For the codings a Content-Encoding header lists, in the order they were
    // applied. Null when they leave the body as it is ("identity", "none" or
    // nothing); null with `known` false when one of them cannot be undone.
    static std::unique_ptr<ContentDecoder> forCodings(QByteArrayView contentEncoding, bool* known);
    ~ContentDecoder();
    ContentDecoder(const ContentDecoder&) = delete;
    ContentDecoder& operator=(const ContentDecoder&) = delete;

    // Queues more of the coded body.
    void push(QByteArrayView coded);
    // Appends at most `room` decoded bytes to `out`. Returns false once the
    // body proves corrupt or too expansive; it stays refused after that.
    bool decode(QByteArray& out, qsizetype room);
    // Every coded stream has ended as its format says, with nothing after it,
    // and all of the page has been handed out.
    bool complete() const;
    // Nothing at all came: an empty body, which is taken as an empty page.
    bool untouched() const;

private:
    explicit ContentDecoder(std::vector<std::unique_ptr<Stage>> stages);
    bool refuse();

    std::vector<std::unique_ptr<Stage>> stages_; // in the order they are undone
    qint64 totalIn_ = 0;
    qint64 totalOut_ = 0;
    bool failed_ = false;
};
