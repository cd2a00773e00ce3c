#pragma once

#include <QtGlobal>

#include <bit>
#include <cstddef>
#include <cstring>

// SipHash-1-3 under a key drawn once per process: a page cannot be written to
// make its values collide, as it could with an unkeyed hash.
quint64 keyedHash(const unsigned char* bytes, size_t size);

// keyedHash fed eight bytes at a time, for a caller that makes the words as
// it goes: add() each whole word (little-endian), then finish() with the last
// 0 to 7 bytes (from lastBytes) and the text's size.
class KeyedHasher {
public:
    // SipHash's starting state under the process's key.
    struct Start {
        quint64 v0, v1, v2, v3;
    };
    // Drawn before main from the system's random source.
    static const Start kStart;

    KeyedHasher() : v0(kStart.v0), v1(kStart.v1), v2(kStart.v2), v3(kStart.v3) {}
    void add(quint64 word) {
        v3 ^= word;
        round();
        v0 ^= word;
    }
    quint64 finish(quint64 rest, size_t size) {
        add(rest | static_cast<quint64>(size) << 56);
        v2 ^= 0xFF;
        round();
        round();
        round();
        return v0 ^ v1 ^ v2 ^ v3;
    }

    // The last `rest` (1 to 7) bytes of a text of `size` bytes as a word, in
    // at most two loads that stay inside the text.
    static quint64 lastBytes(const unsigned char* bytes, size_t size, size_t rest) {
        const unsigned char* p = bytes + size - rest;
        if (size >= 8)
            return load<quint64>(bytes + size - 8) >> (64 - 8 * rest);
        if (rest >= 4)
            return load<quint32>(p) | quint64{load<quint32>(p + rest - 4)} << (8 * (rest - 4));
        quint64 word = 0;
        for (size_t j = 0; j < rest; ++j)
            word |= quint64{p[j]} << (8 * j);
        return word;
    }
    template <typename Word> static Word load(const unsigned char* p) {
        Word word;
        std::memcpy(&word, p, sizeof word);
        return word;
    }

private:
    void round() {
        v0 += v1;
        v1 = std::rotl(v1, 13) ^ v0;
        v0 = std::rotl(v0, 32);
        v2 += v3;
        v3 = std::rotl(v3, 16) ^ v2;
        v0 += v3;
        v3 = std::rotl(v3, 21) ^ v0;
        v2 += v1;
        v1 = std::rotl(v1, 17) ^ v2;
        v2 = std::rotl(v2, 32);
    }
    quint64 v0, v1, v2, v3;
};
