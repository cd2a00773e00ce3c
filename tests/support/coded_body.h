#pragma once

#include <QByteArray>

// Bodies in the content codings a server may send, made with the coding
// libraries directly. RawDeflateSyncFlushed is flushed every 4096 bytes of
// the page, as servers that stream their pages do.
enum class BodyCoding { Gzip, ZlibDeflate, RawDeflate, RawDeflateSyncFlushed, Brotli, Zstd };
QByteArray encodedBody(const QByteArray& plain, BodyCoding coding);
