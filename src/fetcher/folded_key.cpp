#include "fetcher/folded_key.h"

#include "fetcher/keyed_hash.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define VIGILO_HASH_BATCH_X86 1
#endif

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

namespace {

#ifdef VIGILO_HASH_BATCH_X86
// GCC 12's AVX-512 intrinsics start from _mm512_undefined_epi32, which its
// own uninitialized-use check then reports.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
// Eight texts at a time, one per 64-bit lane: the same words, folds and
// rounds as KeyedHasher, each lane taking its whole words while it has them
// and its last word at the end. Only intrinsics here (see byte_search_x86).
struct Lanes {
    __m512i v0, v1, v2, v3;
};

__attribute__((target("avx512f"))) inline void sipRound(Lanes& s) {
    s.v0 = _mm512_add_epi64(s.v0, s.v1);
    s.v1 = _mm512_xor_si512(_mm512_rol_epi64(s.v1, 13), s.v0);
    s.v0 = _mm512_rol_epi64(s.v0, 32);
    s.v2 = _mm512_add_epi64(s.v2, s.v3);
    s.v3 = _mm512_xor_si512(_mm512_rol_epi64(s.v3, 16), s.v2);
    s.v0 = _mm512_add_epi64(s.v0, s.v3);
    s.v3 = _mm512_xor_si512(_mm512_rol_epi64(s.v3, 21), s.v0);
    s.v2 = _mm512_add_epi64(s.v2, s.v1);
    s.v1 = _mm512_xor_si512(_mm512_rol_epi64(s.v1, 17), s.v2);
    s.v2 = _mm512_rol_epi64(s.v2, 32);
}

// Sixteen texts, as two groups of eight whose rounds interleave: one group's
// rounds alone would wait on each other.
__attribute__((target("avx512f"))) void hashSixteenAvx512(const unsigned char* const* texts,
                                                          const size_t* sizes, int count,
                                                          FoldedAsciiHash* out) {
    constexpr int kGroups = 2;
    alignas(64) std::uint64_t whole[8 * kGroups] = {};
    alignas(64) std::uint64_t last[8 * kGroups] = {};
    alignas(64) std::uint64_t lengths[8 * kGroups] = {};
    alignas(64) const unsigned char* starts[8 * kGroups] = {};
    std::uint64_t most = 0;
    for (int i = 0; i < count; ++i) {
        const size_t size = sizes[i];
        const size_t rest = size & 7;
        whole[i] = size >> 3;
        last[i] = rest != 0 ? KeyedHasher::lastBytes(texts[i], size, rest) : 0;
        lengths[i] = static_cast<std::uint64_t>(size) << 56;
        starts[i] = texts[i];
        most = std::max<std::uint64_t>(most, whole[i]);
    }
    const __m512i highBits = _mm512_set1_epi64(static_cast<long long>(kEach(0x80)));
    const __m512i fromA = _mm512_set1_epi64(static_cast<long long>(kEach(0x80 - 'A')));
    const __m512i pastZ = _mm512_set1_epi64(static_cast<long long>(kEach(0x80 - 'Z' - 1)));
    __m512i high[kGroups];
    __m512i caps[kGroups];
    // The same fold as the scalar one: capitals found below 0x80 gain 0x20.
    auto fold = [&](int g, __m512i word) __attribute__((target("avx512f"))) {
        high[g] = _mm512_or_si512(high[g], _mm512_and_si512(word, highBits));
        const __m512i low = _mm512_andnot_si512(highBits, word);
        const __m512i c = _mm512_andnot_si512(
            _mm512_add_epi64(low, pastZ), _mm512_and_si512(_mm512_add_epi64(low, fromA), highBits));
        caps[g] = _mm512_or_si512(caps[g], c);
        return _mm512_or_si512(word, _mm512_srli_epi64(c, 2));
    };
    const KeyedHasher::Start& start = KeyedHasher::kStart;
    Lanes s[kGroups];
    __m512i wholeWords[kGroups];
    __m512i at[kGroups]; // each lane reads its next word straight from its text
    for (int g = 0; g < kGroups; ++g) {
        high[g] = _mm512_setzero_si512();
        caps[g] = _mm512_setzero_si512();
        s[g] = {_mm512_set1_epi64(static_cast<long long>(start.v0)),
                _mm512_set1_epi64(static_cast<long long>(start.v1)),
                _mm512_set1_epi64(static_cast<long long>(start.v2)),
                _mm512_set1_epi64(static_cast<long long>(start.v3))};
        wholeWords[g] = _mm512_load_si512(whole + 8 * g);
        at[g] = _mm512_load_si512(starts + 8 * g);
    }
    const __m512i eight = _mm512_set1_epi64(8);
    for (std::uint64_t j = 0; j < most; ++j) {
        const __m512i step = _mm512_set1_epi64(static_cast<long long>(j));
        for (int g = 0; g < kGroups; ++g) {
            const __mmask8 taking = _mm512_cmplt_epu64_mask(step, wholeWords[g]);
            const __m512i m = fold(
                g, _mm512_mask_i64gather_epi64(_mm512_setzero_si512(), taking, at[g], nullptr, 1));
            at[g] = _mm512_add_epi64(at[g], eight);
            Lanes n = s[g];
            n.v3 = _mm512_xor_si512(n.v3, m);
            sipRound(n);
            n.v0 = _mm512_xor_si512(n.v0, m);
            s[g].v0 = _mm512_mask_mov_epi64(s[g].v0, taking, n.v0);
            s[g].v1 = _mm512_mask_mov_epi64(s[g].v1, taking, n.v1);
            s[g].v2 = _mm512_mask_mov_epi64(s[g].v2, taking, n.v2);
            s[g].v3 = _mm512_mask_mov_epi64(s[g].v3, taking, n.v3);
        }
    }
    alignas(64) std::uint64_t hashes[8 * kGroups];
    std::uint32_t ascii = 0;
    std::uint32_t changed = 0;
    for (int g = 0; g < kGroups; ++g) {
        Lanes& t = s[g];
        const __m512i m = _mm512_or_si512(fold(g, _mm512_load_si512(last + 8 * g)),
                                          _mm512_load_si512(lengths + 8 * g));
        t.v3 = _mm512_xor_si512(t.v3, m);
        sipRound(t);
        t.v0 = _mm512_xor_si512(t.v0, m);
        t.v2 = _mm512_xor_si512(t.v2, _mm512_set1_epi64(0xFF));
        sipRound(t);
        sipRound(t);
        sipRound(t);
        _mm512_store_si512(hashes + 8 * g, _mm512_xor_si512(_mm512_xor_si512(t.v0, t.v1),
                                                            _mm512_xor_si512(t.v2, t.v3)));
        ascii |= std::uint32_t{_mm512_cmpeq_epu64_mask(high[g], _mm512_setzero_si512())} << (8 * g);
        changed |= std::uint32_t{_mm512_cmpneq_epu64_mask(caps[g], _mm512_setzero_si512())}
                   << (8 * g);
    }
    for (int i = 0; i < count; ++i)
        out[i] = {hashes[i], ((ascii >> i) & 1) != 0, ((changed >> i) & 1) != 0};
}

#pragma GCC diagnostic pop

bool cpuHasAvx512f() {
    static const bool has = __builtin_cpu_supports("avx512f");
    return has;
}
#endif

} // namespace

void keyedHashesOfFoldedAscii(const unsigned char* const* texts, const size_t* sizes, int count,
                              FoldedAsciiHash* out) {
    if (!latin1Folding().asciiIsAtoZ) {
        std::fill(out, out + count, FoldedAsciiHash{});
        return;
    }
#ifdef VIGILO_HASH_BATCH_X86
    if (cpuHasAvx512f()) {
        for (int i = 0; i < count; i += 16)
            hashSixteenAvx512(texts + i, sizes + i, std::min(16, count - i), out + i);
        return;
    }
#endif
    for (int i = 0; i < count; ++i)
        out[i].ascii = keyedHashOfFoldedAscii(texts[i], sizes[i], out[i].hash, out[i].changed);
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
