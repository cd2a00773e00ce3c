#pragma once

#include <QByteArray>
#include <QList>

// Bodies in the content codings a server may send, made with the coding
// libraries directly. RawDeflateSyncFlushed is flushed every 4096 bytes of
// the page, as servers that stream their pages do.
enum class BodyCoding { Gzip, ZlibDeflate, RawDeflate, RawDeflateSyncFlushed, Brotli, Zstd };
QByteArray encodedBody(const QByteArray& plain, BodyCoding coding);

// A zstd frame written byte by byte, as no encoder would make it: its header
// names a window (descriptor byte: exponent << 3 | mantissa) and `declared`
// bytes of content, whatever the raw blocks that follow hold.
QByteArray handMadeZstdFrame(unsigned char windowDescriptor, quint32 declared,
                             const QList<QByteArray>& rawBlocks);
// A frame the decoder skips, holding `content`.
QByteArray skippableZstdFrame(const QByteArray& content);
