#include "fetcher/keyed_collection.h"

#include "fetcher/folded_key.h"
#include "fetcher/keyed_hash.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <stdexcept>

namespace {

constexpr size_t kMinSlots = 16;
// A key's size word holds 31 bits, and text_ is reached by 32-bit offsets;
// no page comes near either.
constexpr size_t kMaxKeySize = 0x7FFFFFFF;
constexpr size_t kMaxText = 0xFFFFFFFE;

std::uint32_t tagOf(quint64 hash) {
    return static_cast<std::uint32_t>(hash >> 32);
}

std::uint32_t sizeAndWide(size_t size, bool wide) {
    return static_cast<std::uint32_t>(size << 1) | (wide ? 1 : 0);
}

template <typename Word> Word load(const unsigned char* p) {
    Word word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// Keys are short: words compared in line beat a call to memcmp.
bool sameBytes(const unsigned char* a, const unsigned char* b, size_t size) {
    if (size >= 8) {
        for (size_t i = 0; i + 8 < size; i += 8)
            if (load<std::uint64_t>(a + i) != load<std::uint64_t>(b + i))
                return false;
        return load<std::uint64_t>(a + size - 8) == load<std::uint64_t>(b + size - 8);
    }
    if (size >= 4)
        return load<std::uint32_t>(a) == load<std::uint32_t>(b) &&
               load<std::uint32_t>(a + size - 4) == load<std::uint32_t>(b + size - 4);
    for (size_t i = 0; i < size; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

// Keys are short: at most two overlapping word copies beat a call to memcpy.
void copyBytes(unsigned char* to, const unsigned char* from, size_t size) {
    auto copy = [&](auto word) {
        std::memcpy(&word, from, sizeof word);
        std::memcpy(to, &word, sizeof word);
        std::memcpy(&word, from + size - sizeof word, sizeof word);
        std::memcpy(to + size - sizeof word, &word, sizeof word);
    };
    if (size > 32) {
        std::memcpy(to, from, size);
    } else if (size >= 16) {
        struct Bytes16 {
            std::uint64_t a, b;
        };
        copy(Bytes16{});
    } else if (size >= 8) {
        copy(std::uint64_t{});
    } else if (size >= 4) {
        copy(std::uint32_t{});
    } else {
        for (size_t i = 0; i < size; ++i)
            to[i] = from[i];
    }
}

} // namespace

KeyedCollection::KeyedCollection(KeyHash hash) : hash_(hash ? hash : keyedHash) {}

[[gnu::always_inline]] inline KeyedCollection::Probe
KeyedCollection::find(const unsigned char* folded, size_t size, bool wide, quint64 hash) const {
    const size_t mask = slots_.size() - 1;
    const std::uint32_t tag = tagOf(hash);
    const std::uint32_t form = sizeAndWide(size, wide);
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.at == 0)
            return {i, false};
        if (slot.tag != tag)
            continue;
        const unsigned char* key = text_.data() + slot.at - 1;
        if (load<std::uint32_t>(key) == form && sameBytes(key + 4, folded, size))
            return {i, true};
    }
}

void KeyedCollection::rehash(size_t slotCount) {
    std::vector<Slot> grown(slotCount);
    const size_t mask = grown.size() - 1;
    for (const Entry& entry : entries_) {
        size_t i = entry.hash & mask;
        while (grown[i].at != 0)
            i = (i + 1) & mask;
        grown[i] = {tagOf(entry.hash), entry.at + 1};
    }
    slots_.swap(grown);
}

void KeyedCollection::reserve(qsizetype total) {
    // Beyond this no machine has the memory; the adds would fail anyway.
    if (total <= 0 || total > (qsizetype{1} << 40))
        return;
    const size_t wanted = std::bit_ceil(static_cast<size_t>(total) * 2);
    if (wanted > slots_.size())
        rehash(std::max(kMinSlots, wanted));
    entries_.reserve(static_cast<size_t>(total));
    // Links and sources run to a few dozen characters.
    text_.reserve(static_cast<size_t>(total) * 32);
}

bool KeyedCollection::insert(const unsigned char* folded, size_t size, bool wide, quint64 hash,
                             ItemForm form, const void* item, size_t itemBytes, size_t itemSize) {
    if (size > kMaxKeySize)
        throw std::length_error("KeyedCollection: key too long");
    if (slots_.empty())
        rehash(kMinSlots);
    Probe probe = find(folded, size, wide, hash);
    if (probe.found)
        return false;
    if ((entries_.size() + 1) * 2 > slots_.size()) {
        rehash(slots_.size() * 2);
        probe = find(folded, size, wide, hash);
    }
    const size_t at = text_.size();
    if (at + 4 + size + itemBytes > kMaxText)
        throw std::length_error("KeyedCollection: texts too long");
    // All or nothing: a failure part way takes back what was appended.
    try {
        text_.resize(at + 4 + size + itemBytes);
        unsigned char* out = text_.data() + at;
        const std::uint32_t form32 = sizeAndWide(size, wide);
        std::memcpy(out, &form32, 4);
        copyBytes(out + 4, folded, size);
        if (itemBytes != 0)
            std::memcpy(out + 4 + size, item, itemBytes);
        entries_.push_back({static_cast<std::uint32_t>(at), static_cast<std::uint32_t>(size),
                            itemSize, hash, form});
    } catch (...) {
        text_.resize(at);
        throw;
    }
    slots_[probe.slot] = {tagOf(hash), static_cast<std::uint32_t>(at + 1)};
    return true;
}

bool KeyedCollection::add(const QString& item, const QString& key) {
    const FoldedKey folded(key);
    const quint64 hash = hash_(folded.data(), folded.size());
    const auto* chars = reinterpret_cast<const char16_t*>(item.constData());
    const auto count = static_cast<size_t>(item.size());
    if (!std::all_of(chars, chars + count, [](char16_t c) { return c <= 0xFF; }))
        return insert(folded.data(), folded.size(), folded.wide(), hash, ItemForm::Utf16, chars,
                      count * sizeof(char16_t), count);
    if (!folded.wide() && folded.size() == count && std::equal(chars, chars + count, folded.data()))
        return insert(folded.data(), folded.size(), false, hash, ItemForm::Key, nullptr, 0, count);
    const QByteArray latin1 = item.toLatin1();
    return insert(folded.data(), folded.size(), folded.wide(), hash, ItemForm::Latin1,
                  latin1.constData(), count, count);
}

bool KeyedCollection::addLatin1(const char* text, qsizetype size) {
    const auto* in = reinterpret_cast<const unsigned char*>(text);
    FoldedAsciiHash prepared;
    // Most values are ASCII and need no folding: folded and hashed in one
    // pass, and copied only when they are new.
    if (hash_ == keyedHash)
        prepared.ascii =
            keyedHashOfFoldedAscii(in, static_cast<size_t>(size), prepared.hash, prepared.changed);
    return addLatin1(text, size, prepared);
}

void KeyedCollection::prepareLatin1(const unsigned char* const* texts, const size_t* sizes,
                                    int count, FoldedAsciiHash* out) const {
    if (hash_ == keyedHash)
        keyedHashesOfFoldedAscii(texts, sizes, count, out);
    else
        std::fill(out, out + count, FoldedAsciiHash{}); // hashed when added
}

bool KeyedCollection::addFoldedLatin1(const char* text, qsizetype size,
                                      const FoldedAsciiHash& prepared) {
    const auto* in = reinterpret_cast<const unsigned char*>(text);
    const auto count = static_cast<size_t>(size);
    std::array<unsigned char, 256> local;
    std::vector<unsigned char> heap;
    unsigned char* room = local.data();
    if (count > local.size()) {
        heap.resize(count);
        room = heap.data();
    }
    const unsigned char* folded = foldLatin1(in, count, room);
    if (!folded) { // folds out of Latin-1: the general way
        const QString wide = QString::fromLatin1(text, size);
        return add(wide, wide);
    }
    const quint64 hash = prepared.ascii ? prepared.hash : hash_(folded, count);
    if (folded == in)
        return insert(folded, count, false, hash, ItemForm::Key, nullptr, 0, count);
    return insert(folded, count, false, hash, ItemForm::Latin1, in, count, count);
}

bool KeyedCollection::containsKey(const QString& key) const {
    if (slots_.empty())
        return false;
    const FoldedKey folded(key);
    const quint64 hash = hash_(folded.data(), folded.size());
    return find(folded.data(), folded.size(), folded.wide(), hash).found;
}

QString KeyedCollection::item(qsizetype index) const {
    const Entry& entry = entries_.at(static_cast<size_t>(index));
    const unsigned char* key = text_.data() + entry.at + 4;
    const auto size = static_cast<qsizetype>(entry.itemSize);
    switch (entry.form) {
    case ItemForm::Key:
        return QString::fromLatin1(reinterpret_cast<const char*>(key), size);
    case ItemForm::Latin1:
        return QString::fromLatin1(reinterpret_cast<const char*>(key + entry.keySize), size);
    case ItemForm::Utf16:
        break;
    }
    QString wide(size, Qt::Uninitialized);
    std::memcpy(wide.data(), key + entry.keySize, entry.itemSize * sizeof(char16_t));
    return wide;
}

QStringList KeyedCollection::items() const {
    QStringList list;
    list.reserve(count());
    for (qsizetype i = 0; i < count(); ++i)
        list.append(item(i));
    return list;
}
