#include "fetcher/keyed_hash.h"

#include <QRandomGenerator>

#include <bit>
#include <cstdint>
#include <cstring>

namespace {

struct SipKey {
    quint64 k0;
    quint64 k1;
};

const SipKey& processKey() {
    static const SipKey key = [] {
        QRandomGenerator* system = QRandomGenerator::system();
        return SipKey{system->generate64(), system->generate64()};
    }();
    return key;
}

struct SipState {
    quint64 v0, v1, v2, v3;
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
    void absorb(quint64 m) {
        v3 ^= m;
        round();
        v0 ^= m;
    }
};

template <typename Word> Word load(const unsigned char* p) {
    Word word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// The last 1 to 7 bytes, little-endian, read in at most two loads.
quint64 tail(const unsigned char* bytes, size_t size, size_t rest) {
    const unsigned char* p = bytes + size - rest;
    if (size >= 8)
        return load<quint64>(bytes + size - 8) >> (64 - 8 * rest);
    if (rest >= 4)
        return load<std::uint32_t>(p) | quint64{load<std::uint32_t>(p + rest - 4)}
                                            << (8 * (rest - 4));
    quint64 word = 0;
    for (size_t j = 0; j < rest; ++j)
        word |= quint64{p[j]} << (8 * j);
    return word;
}

} // namespace

quint64 keyedHash(const unsigned char* bytes, size_t size) {
    const SipKey& key = processKey();
    SipState s{key.k0 ^ 0x736f6d6570736575ull, key.k1 ^ 0x646f72616e646f6dull,
               key.k0 ^ 0x6c7967656e657261ull, key.k1 ^ 0x7465646279746573ull};
    const size_t whole = size & ~size_t{7};
    for (size_t i = 0; i < whole; i += 8)
        s.absorb(load<quint64>(bytes + i));
    quint64 last = static_cast<quint64>(size) << 56;
    if (const size_t rest = size - whole)
        last |= tail(bytes, size, rest);
    s.absorb(last);
    s.v2 ^= 0xFF;
    s.round();
    s.round();
    s.round();
    return s.v0 ^ s.v1 ^ s.v2 ^ s.v3;
}
