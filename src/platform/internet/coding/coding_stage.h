#pragma once

#include "platform/internet/coding/content_decoder.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstddef>
#include <memory>

// One content coding undone: the bookkeeping every coding shares, around the
// one call into its library that a coding supplies.
class ContentDecoder::Stage {
public:
    virtual ~Stage() = default;

    void push(QByteArrayView coded);
    qsizetype pending() const { return input_.size() - used_; }
    // Appends at most `room` decoded bytes; false once the stream is refused.
    bool decode(QByteArray& out, qsizetype room);
    bool complete() const { return ended_ && pending() == 0 && !failed_; }
    bool untouched() const { return !started_ && pending() == 0 && !failed_; }

protected:
    enum class Status { Going, End, Fail, NeedMore };
    // Decodes from `in` into `out`, telling how many bytes it used and made.
    // Going with nothing used or made means it waits for more input.
    virtual Status run(const unsigned char* in, std::size_t inSize, unsigned char* out,
                       std::size_t outSize, std::size_t* used, std::size_t* made) = 0;
    // Called when input follows the end of a stream: Going when it starts
    // another one (gzip members, zstd frames), NeedMore when too little came
    // to tell; anything else after the end is refused.
    virtual Status restart(QByteArrayView /*rest*/) { return Status::Fail; }

private:
    bool refuse();

    QByteArray input_;
    qsizetype used_ = 0;
    qint64 totalIn_ = 0;
    qint64 totalOut_ = 0;
    bool started_ = false;
    bool ended_ = false;
    bool full_ = false; // the last call filled its output: the coder may hold more
    bool failed_ = false;
};

// The stage for one coding name (lower case), or null when it has none.
std::unique_ptr<ContentDecoder::Stage> makeCodingStage(QByteArrayView coding);

// Past this many decoded bytes, a body that expanded more than this many
// times is taken for a decompression bomb rather than a page.
inline constexpr qint64 kBombFloor = 10 * 1024 * 1024;
inline constexpr qint64 kBombRatio = 40;

inline bool looksLikeBomb(qint64 in, qint64 out) {
    return out > kBombFloor && out > kBombRatio * in;
}
