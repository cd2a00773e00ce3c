#include "fetcher/keyed_collection.h"

#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace {

// A key folded as QString::toCaseFolded folds it, in the form it is stored,
// hashed and compared in: a marker byte, then one byte per character when
// every folded character is in Latin-1 (nearly every key), else two. The
// form depends on the folded text alone, so equal folded keys are equal here.
class FoldedKey {
public:
    explicit FoldedKey(const QString& key);
    FoldedKey(const FoldedKey&) = delete; // data_ may point into local_
    FoldedKey& operator=(const FoldedKey&) = delete;
    const unsigned char* data() const { return data_; }
    size_t size() const { return size_; }

private:
    unsigned char* resize(size_t size);
    void storeWide(const QString& folded);

    std::array<unsigned char, 512> local_;
    std::vector<unsigned char> heap_;
    unsigned char* data_ = nullptr;
    size_t size_ = 0;
};

// Latin-1 folds character by character; the table is taken from QString's
// own folding so both paths agree. A character whose folding is more than
// one character or leaves Latin-1 (the micro sign) sends the key the slow way.
struct Latin1Folding {
    std::array<unsigned char, 256> to{};
    std::array<bool, 256> narrow{};
    Latin1Folding() {
        for (int c = 0; c < 256; ++c) {
            const QString folded = QString(QChar(static_cast<char16_t>(c))).toCaseFolded();
            narrow[c] = folded.size() == 1 && folded.at(0).unicode() <= 0xFF;
            to[c] = static_cast<unsigned char>(narrow[c] ? folded.at(0).unicode() : c);
        }
    }
};

constexpr unsigned char kNarrow = 0;
constexpr unsigned char kWide = 1;

unsigned char* FoldedKey::resize(size_t size) {
    if (size <= local_.size()) {
        data_ = local_.data();
    } else {
        heap_.resize(size);
        data_ = heap_.data();
    }
    size_ = size;
    return data_;
}

FoldedKey::FoldedKey(const QString& key) {
    static const Latin1Folding latin1;
    const auto* in = reinterpret_cast<const char16_t*>(key.constData());
    const size_t count = static_cast<size_t>(key.size());
    unsigned char* out = resize(count + 1);
    out[0] = kNarrow;
    for (size_t i = 0; i < count; ++i) {
        const char16_t c = in[i];
        if (c > 0xFF || !latin1.narrow[c]) {
            storeWide(key.toCaseFolded());
            return;
        }
        out[i + 1] = latin1.to[c];
    }
}

void FoldedKey::storeWide(const QString& folded) {
    const auto* in = reinterpret_cast<const char16_t*>(folded.constData());
    const size_t count = static_cast<size_t>(folded.size());
    if (std::all_of(in, in + count, [](char16_t c) { return c <= 0xFF; })) {
        unsigned char* out = resize(count + 1);
        out[0] = kNarrow;
        for (size_t i = 0; i < count; ++i)
            out[i + 1] = static_cast<unsigned char>(in[i]);
        return;
    }
    unsigned char* out = resize(1 + count * sizeof(char16_t));
    out[0] = kWide;
    std::memcpy(out + 1, in, count * sizeof(char16_t));
}

// SipHash-1-3 under a key drawn once per process: a page cannot be written to
// make its values collide, as it could with an unkeyed hash.
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

quint64 keyedHash(const unsigned char* bytes, size_t size) {
    const SipKey& key = processKey();
    SipState s{key.k0 ^ 0x736f6d6570736575ull, key.k1 ^ 0x646f72616e646f6dull,
               key.k0 ^ 0x6c7967656e657261ull, key.k1 ^ 0x7465646279746573ull};
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        quint64 m;
        std::memcpy(&m, bytes + i, 8);
        s.absorb(m);
    }
    quint64 last = static_cast<quint64>(size) << 56;
    for (size_t j = 0; i + j < size; ++j)
        last |= static_cast<quint64>(bytes[i + j]) << (8 * j);
    s.absorb(last);
    s.v2 ^= 0xFF;
    s.round();
    s.round();
    s.round();
    return s.v0 ^ s.v1 ^ s.v2 ^ s.v3;
}

constexpr qsizetype kMinSlots = 16;

} // namespace

KeyedCollection::KeyedCollection(KeyHash hash) : hash_(hash ? hash : keyedHash) {}

qsizetype KeyedCollection::findSlot(const unsigned char* folded, size_t size, quint64 hash) const {
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.entry == 0)
            return static_cast<qsizetype>(i);
        if (slot.hash != hash)
            continue;
        const qsizetype index = slot.entry - 1;
        const size_t begin = index == 0 ? 0 : keyEnds_[index - 1];
        if (keyEnds_[index] - begin == size && std::memcmp(keys_.data() + begin, folded, size) == 0)
            return static_cast<qsizetype>(i);
    }
}

void KeyedCollection::rehash(qsizetype slotCount) {
    std::vector<Slot> grown(static_cast<size_t>(slotCount));
    const size_t mask = grown.size() - 1;
    for (const Slot& slot : slots_) {
        if (slot.entry == 0)
            continue;
        size_t i = slot.hash & mask;
        while (grown[i].entry != 0)
            i = (i + 1) & mask;
        grown[i] = slot;
    }
    slots_.swap(grown);
}

void KeyedCollection::reserve(qsizetype total) {
    // Beyond this no machine has the memory; the adds would fail anyway.
    if (total <= 0 || total > (qsizetype{1} << 40))
        return;
    const auto wanted = static_cast<qsizetype>(std::bit_ceil(static_cast<size_t>(total) * 2));
    if (wanted > static_cast<qsizetype>(slots_.size()))
        rehash(std::max(kMinSlots, wanted));
    items_.reserve(total);
    keyEnds_.reserve(static_cast<size_t>(total));
}

bool KeyedCollection::add(const QString& item, const QString& key) {
    const FoldedKey folded(key);
    const quint64 hash = hash_(folded.data(), folded.size());
    if (slots_.empty())
        rehash(kMinSlots);
    qsizetype slot = findSlot(folded.data(), folded.size(), hash);
    if (slots_[slot].entry != 0)
        return false;
    if ((items_.size() + 1) * 2 > static_cast<qsizetype>(slots_.size())) {
        rehash(static_cast<qsizetype>(slots_.size()) * 2);
        slot = findSlot(folded.data(), folded.size(), hash);
    }
    // All or nothing: a failure part way takes back what was appended.
    const size_t keysBefore = keys_.size();
    const qsizetype itemsBefore = items_.size();
    try {
        keys_.insert(keys_.end(), folded.data(), folded.data() + folded.size());
        keyEnds_.push_back(keys_.size());
        items_.append(item);
    } catch (...) {
        keys_.resize(keysBefore);
        keyEnds_.resize(static_cast<size_t>(itemsBefore));
        throw;
    }
    slots_[slot] = {hash, items_.size()};
    return true;
}

bool KeyedCollection::containsKey(const QString& key) const {
    if (slots_.empty())
        return false;
    const FoldedKey folded(key);
    const quint64 hash = hash_(folded.data(), folded.size());
    return slots_[findSlot(folded.data(), folded.size(), hash)].entry != 0;
}
