#include "coded_body.h"

#include <brotli/encode.h>
#include <zlib.h>
#include <zstd.h>

namespace {

QByteArray deflated(const QByteArray& plain, int windowBits, qsizetype flushEvery) {
    z_stream z{};
    if (deflateInit2(&z, 9, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    QByteArray out;
    char buffer[16384];
    qsizetype at = 0;
    int result = Z_OK;
    do {
        const qsizetype piece = std::min(flushEvery, plain.size() - at);
        const bool last = at + piece == plain.size();
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.constData() + at));
        z.avail_in = static_cast<uInt>(piece);
        at += piece;
        do {
            z.next_out = reinterpret_cast<Bytef*>(buffer);
            z.avail_out = sizeof buffer;
            result = deflate(&z, last ? Z_FINISH : Z_SYNC_FLUSH);
            out.append(buffer, static_cast<qsizetype>(sizeof buffer - z.avail_out));
        } while (z.avail_out == 0);
    } while (result != Z_STREAM_END && result >= 0);
    deflateEnd(&z);
    return result == Z_STREAM_END ? out : QByteArray();
}

void appendLittle(QByteArray& out, quint32 value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

} // namespace

QByteArray encodedBody(const QByteArray& plain, BodyCoding coding) {
    switch (coding) {
    case BodyCoding::Gzip:
        return deflated(plain, 15 + 16, plain.size());
    case BodyCoding::ZlibDeflate:
        return deflated(plain, 15, plain.size());
    case BodyCoding::RawDeflate:
        return deflated(plain, -15, plain.size());
    case BodyCoding::RawDeflateSyncFlushed:
        return deflated(plain, -15, 4096);
    case BodyCoding::Brotli: {
        QByteArray out(static_cast<qsizetype>(BrotliEncoderMaxCompressedSize(plain.size())),
                       Qt::Uninitialized);
        std::size_t size = static_cast<std::size_t>(out.size());
        if (!BrotliEncoderCompress(BROTLI_DEFAULT_QUALITY, BROTLI_DEFAULT_WINDOW,
                                   BROTLI_DEFAULT_MODE, plain.size(),
                                   reinterpret_cast<const uint8_t*>(plain.constData()), &size,
                                   reinterpret_cast<uint8_t*>(out.data())))
            return {};
        out.resize(static_cast<qsizetype>(size));
        return out;
    }
    case BodyCoding::Zstd: {
        QByteArray out(static_cast<qsizetype>(ZSTD_compressBound(plain.size())), Qt::Uninitialized);
        const std::size_t size =
            ZSTD_compress(out.data(), out.size(), plain.constData(), plain.size(), 3);
        if (ZSTD_isError(size))
            return {};
        out.resize(static_cast<qsizetype>(size));
        return out;
    }
    }
    return {};
}

QByteArray handMadeZstdFrame(unsigned char windowDescriptor, quint32 declared,
                             const QList<QByteArray>& rawBlocks) {
    QByteArray frame;
    appendLittle(frame, 0xFD2FB528u, 4);
    frame.append(static_cast<char>(0x80)); // a four-byte content size, a window descriptor
    frame.append(static_cast<char>(windowDescriptor));
    appendLittle(frame, declared, 4);
    for (qsizetype i = 0; i < rawBlocks.size(); ++i) {
        const bool last = i + 1 == rawBlocks.size();
        appendLittle(frame, static_cast<quint32>(rawBlocks[i].size()) << 3 | (last ? 1 : 0), 3);
        frame += rawBlocks[i];
    }
    return frame;
}

QByteArray skippableZstdFrame(const QByteArray& content) {
    QByteArray frame;
    appendLittle(frame, 0x184D2A50u, 4);
    appendLittle(frame, static_cast<quint32>(content.size()), 4);
    return frame + content;
}
