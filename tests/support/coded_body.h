#pragma once

#include <QByteArray>

// Bodies in the content codings a server may send, made with zlib directly.
enum class BodyCoding { Gzip, ZlibDeflate, RawDeflate };
QByteArray encodedBody(const QByteArray& plain, BodyCoding coding);
