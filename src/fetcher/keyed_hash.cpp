#include "fetcher/keyed_hash.h"

#include <QRandomGenerator>

namespace {

KeyedHasher::Start drawStart() {
    QRandomGenerator* system = QRandomGenerator::system();
    const quint64 k0 = system->generate64();
    const quint64 k1 = system->generate64();
    return {k0 ^ 0x736f6d6570736575ull, k1 ^ 0x646f72616e646f6dull, k0 ^ 0x6c7967656e657261ull,
            k1 ^ 0x7465646279746573ull};
}

} // namespace

const KeyedHasher::Start KeyedHasher::kStart = drawStart();

quint64 keyedHash(const unsigned char* bytes, size_t size) {
    KeyedHasher hasher;
    const size_t whole = size & ~size_t{7};
    for (size_t i = 0; i < whole; i += 8)
        hasher.add(KeyedHasher::load<quint64>(bytes + i));
    const size_t rest = size - whole;
    return hasher.finish(rest != 0 ? KeyedHasher::lastBytes(bytes, size, rest) : 0, size);
}
