#include "fetcher/folded_key.h"

#include "fetcher/keyed_hash.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// Latin-1 folds character by character; the table is taken from QString's
// own folding so both paths agree. A character whose folding is more than
// one character or leaves Latin-1 (the micro sign) sends the key the slow way.
struct Latin1Folding {
    std::array<unsigned char, 256> to{};
    std::array<bool, 256> narrow{};
    bool asciiIsAtoZ = true; // ASCII folds exactly A-Z to a-z: the word-wide fold holds
    Latin1Folding() {
        for (int c = 0; c < 256; ++c) {
            const QString folded = QString(QChar(static_cast<char16_t>(c))).toCaseFolded();
            narrow[c] = folded.size() == 1 && folded.at(0).unicode() <= 0xFF;
            to[c] = static_cast<unsigned char>(narrow[c] ? folded.at(0).unicode() : c);
            if (c < 0x80)
                asciiIsAtoZ =
                    asciiIsAtoZ && narrow[c] && to[c] == (c >= 'A' && c <= 'Z' ? c + 32 : c);
        }
    }
};

// Built before main from QString's own tables; nothing folds before then.
const Latin1Folding kLatin1;

const Latin1Folding& latin1Folding() {
    return kLatin1;
}

constexpr std::uint64_t kEach(std::uint8_t byte) {
    return 0x0101010101010101ull * byte;
}

std::uint64_t load64(const unsigned char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    return word;
}

// The top bit of each byte of an all-ASCII word that is a capital A-Z: no
// sum carries into the next byte while every byte is below 0x80.
std::uint64_t capitals(std::uint64_t word) {
    const std::uint64_t atLeastA = word + kEach(0x80 - 'A');
    const std::uint64_t aboveZ = word + kEach(0x80 - 'Z' - 1);
    return atLeastA & ~aboveZ & kEach(0x80);
}

// Capitals and bytes from 0x80 in the text, as top bits ORed together.
struct Survey {
    std::uint64_t capitals = 0;
    std::uint64_t high = 0;
};

Survey survey(const unsigned char* text, size_t size) {
    Survey s;
    auto take = [&s](std::uint64_t word) {
        s.high |= word & kEach(0x80);
        s.capitals |= capitals(word & ~kEach(0x80));
    };
    if (size >= 8) {
        size_t i = 0;
        for (; i + 8 <= size; i += 8)
            take(load64(text + i));
        if (i < size) // the last eight bytes again; seeing some twice changes nothing
            take(load64(text + size - 8));
    } else {
        std::uint64_t word = 0;
        std::memcpy(&word, text, size);
        take(word);
    }
    return s;
}

} // namespace

const unsigned char* foldLatin1(const unsigned char* text, size_t size, unsigned char* out) {
    const Latin1Folding& latin1 = latin1Folding();
    const Survey s = survey(text, size);
    if (s.high == 0 && latin1.asciiIsAtoZ) {
        if (s.capitals == 0)
            return text;
        if (size >= 8) {
            // Overlapping words write the same folded bytes twice.
            for (size_t i = 0; i + 8 <= size; i += 8) {
                const std::uint64_t word = load64(text + i);
                const std::uint64_t folded = word | (capitals(word) >> 2);
                std::memcpy(out + i, &folded, 8);
            }
            const std::uint64_t word = load64(text + size - 8);
            const std::uint64_t folded = word | (capitals(word) >> 2);
            std::memcpy(out + size - 8, &folded, 8);
            return out;
        }
    }
    unsigned changed = 0;
    for (size_t i = 0; i < size; ++i) {
        const unsigned char c = text[i];
        if (!latin1.narrow[c])
            return nullptr;
        out[i] = latin1.to[c];
        changed |= out[i] ^ c;
    }
    return changed != 0 ? out : text;
}

bool keyedHashOfFoldedAscii(const unsigned char* text, size_t size, quint64& hash, bool& changed) {
    if (!latin1Folding().asciiIsAtoZ)
        return false;
    KeyedHasher hasher;
    std::uint64_t high = 0;
    std::uint64_t caps = 0;
    auto fold = [&](std::uint64_t word) {
        high |= word & kEach(0x80);
        const std::uint64_t c = capitals(word & ~kEach(0x80));
        caps |= c;
        return word | (c >> 2);
    };
    const size_t whole = size & ~size_t{7};
    for (size_t i = 0; i < whole; i += 8)
        hasher.add(fold(load64(text + i)));
    const size_t rest = size - whole;
    const std::uint64_t last = rest != 0 ? fold(KeyedHasher::lastBytes(text, size, rest)) : 0;
    if (high != 0)
        return false;
    hash = hasher.finish(last, size);
    changed = caps != 0;
    return true;
}

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
    const Latin1Folding& latin1 = latin1Folding();
    const auto* in = reinterpret_cast<const char16_t*>(key.constData());
    const size_t count = static_cast<size_t>(key.size());
    unsigned char* out = resize(count);
    for (size_t i = 0; i < count; ++i) {
        const char16_t c = in[i];
        if (c > 0xFF || !latin1.narrow[c]) {
            storeWide(key.toCaseFolded());
            return;
        }
        out[i] = latin1.to[c];
    }
}

void FoldedKey::storeWide(const QString& folded) {
    const auto* in = reinterpret_cast<const char16_t*>(folded.constData());
    const size_t count = static_cast<size_t>(folded.size());
    if (std::all_of(in, in + count, [](char16_t c) { return c <= 0xFF; })) {
        unsigned char* out = resize(count);
        for (size_t i = 0; i < count; ++i)
            out[i] = static_cast<unsigned char>(in[i]);
        return;
    }
    wide_ = true;
    unsigned char* out = resize(count * sizeof(char16_t));
    std::memcpy(out, in, count * sizeof(char16_t));
}
