#pragma once

#include <QtGlobal>

#include <cstddef>

// SipHash-1-3 under a key drawn once per process: a page cannot be written to
// make its values collide, as it could with an unkeyed hash.
quint64 keyedHash(const unsigned char* bytes, size_t size);
