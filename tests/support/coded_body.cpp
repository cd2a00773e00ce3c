#include "coded_body.h"

#include <zlib.h>

QByteArray encodedBody(const QByteArray& plain, BodyCoding coding) {
    const int windowBits = coding == BodyCoding::Gzip          ? 15 + 16
                           : coding == BodyCoding::ZlibDeflate ? 15
                                                               : -15;
    z_stream z{};
    if (deflateInit2(&z, 9, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    QByteArray out(static_cast<qsizetype>(deflateBound(&z, static_cast<uLong>(plain.size()))) + 64,
                   Qt::Uninitialized);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.constData()));
    z.avail_in = static_cast<uInt>(plain.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&z, Z_FINISH);
    out.resize(result == Z_STREAM_END ? static_cast<qsizetype>(z.total_out) : 0);
    deflateEnd(&z);
    return out;
}
