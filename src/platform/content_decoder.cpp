#include "platform/content_decoder.h"

#include <zlib.h>

#include <algorithm>

namespace {

// Past this many decoded bytes, a body that expanded more than kMaxRatio
// times is taken for a decompression bomb rather than a page.
constexpr qint64 kBombFloor = 10 * 1024 * 1024;
constexpr qint64 kMaxRatio = 40;
constexpr qsizetype kStep = 64 * 1024;

bool startsGzipMember(QByteArrayView rest) {
    return rest.size() >= 2 && static_cast<unsigned char>(rest[0]) == 0x1f &&
           static_cast<unsigned char>(rest[1]) == 0x8b;
}

} // namespace

struct ContentDecoder::Stream {
    z_stream z{};
    bool open = false;
    ~Stream() {
        if (open)
            inflateEnd(&z);
    }
};

std::optional<ContentDecoder::Coding> ContentDecoder::codingOf(const QByteArray& contentEncoding,
                                                               bool* known) {
    const QByteArray coding = contentEncoding.trimmed().toLower();
    *known = true;
    if (coding.isEmpty() || coding == "identity")
        return std::nullopt;
    if (coding == "gzip" || coding == "x-gzip")
        return Coding::Gzip;
    if (coding == "deflate")
        return Coding::Deflate;
    *known = false;
    return std::nullopt;
}

ContentDecoder::ContentDecoder(Coding coding)
    : stream_(std::make_unique<Stream>()), coding_(coding) {}

ContentDecoder::~ContentDecoder() = default;

void ContentDecoder::push(QByteArrayView coded) {
    if (failed_)
        return;
    input_.remove(0, used_);
    used_ = 0;
    input_.append(coded.data(), coded.size());
}

bool ContentDecoder::refuse() {
    failed_ = true;
    input_.clear();
    used_ = 0;
    return false;
}

// "deflate" is meant to be zlib-wrapped, but servers also send it raw; the
// first two bytes tell which.
bool ContentDecoder::start() {
    int windowBits = 15 + 16;
    if (coding_ == Coding::Deflate) {
        const auto b0 = static_cast<unsigned char>(input_[used_]);
        const auto b1 = static_cast<unsigned char>(input_[used_ + 1]);
        const bool zlibHeader = (b0 & 0x0f) == 8 && (b0 >> 4) <= 7 && ((b0 << 8) | b1) % 31 == 0;
        windowBits = zlibHeader ? 15 : -15;
    }
    if (inflateInit2(&stream_->z, windowBits) != Z_OK)
        return false;
    stream_->open = true;
    started_ = true;
    return true;
}

bool ContentDecoder::decode(QByteArray& out, qsizetype room) {
    if (failed_)
        return false;
    while (room > 0 && pending() > 0) {
        if (ended_) {
            // Only another gzip member may follow the end of a stream.
            const char* rest = input_.constData() + used_;
            if (coding_ != Coding::Gzip || static_cast<unsigned char>(rest[0]) != 0x1f)
                return refuse();
            if (pending() < 2)
                break;
            if (!startsGzipMember(QByteArrayView(rest, 2)) || inflateReset(&stream_->z) != Z_OK)
                return refuse();
            ended_ = false;
        }
        if (!started_) {
            if (pending() < 2)
                break;
            if (!start())
                return refuse();
        }
        const qsizetype before = out.size();
        const qsizetype step = std::min(room, kStep);
        out.resize(before + step);
        z_stream& z = stream_->z;
        const qsizetype inBefore = pending();
        z.next_in = reinterpret_cast<Bytef*>(input_.data() + used_);
        z.avail_in = static_cast<uInt>(std::min<qsizetype>(inBefore, 1 << 30));
        z.next_out = reinterpret_cast<Bytef*>(out.data() + before);
        z.avail_out = static_cast<uInt>(step);
        const int result = inflate(&z, Z_NO_FLUSH);
        const qsizetype consumed = std::min<qsizetype>(inBefore, 1 << 30) - z.avail_in;
        const qsizetype produced = step - z.avail_out;
        out.resize(before + produced);
        used_ += consumed;
        totalIn_ += consumed;
        totalOut_ += produced;
        room -= produced;
        if (totalOut_ > kBombFloor && totalOut_ > kMaxRatio * totalIn_)
            return refuse();
        if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR)
            return refuse();
        if (result == Z_STREAM_END)
            ended_ = true;
        else if (consumed == 0 && produced == 0)
            break; // wants more input than has come
    }
    if (used_ > 0 && used_ == input_.size()) {
        input_.resize(0);
        used_ = 0;
    }
    return true;
}
