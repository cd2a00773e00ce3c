#include "fetcher/byte_search_x86.h"

#ifdef VIGILO_BYTE_SEARCH_X86

#include <immintrin.h>

// Only intrinsics and plain code here: an inline library function compiled
// for AVX2 could otherwise be shared with callers on CPUs without it.

namespace byte_search {

namespace {

// The token's bytes past the two the vector compare has seen.
bool restMatches(const TokenPattern& t, const unsigned char* at) {
    for (std::ptrdiff_t i = 2; i < t.size; ++i)
        if ((at[i] | t.caseBits[i]) != t.bytes[i])
            return false;
    return true;
}

bool matchesAt(const TokenPattern& t, const unsigned char* at) {
    for (std::ptrdiff_t i = 0; i < t.size; ++i)
        if ((at[i] | t.caseBits[i]) != t.bytes[i])
            return false;
    return true;
}

std::ptrdiff_t tokenTail(const unsigned char* data, std::ptrdiff_t p, std::ptrdiff_t lastStart,
                         const TokenPattern& t) {
    for (; p <= lastStart; ++p)
        if (matchesAt(t, data + p))
            return p;
    return -1;
}

bool inSet(const StopSet& set, unsigned char b) {
    return b < 0x80 ? (set.low[b & 15] >> (b >> 4)) & 1 : (set.high[b & 15] >> ((b >> 4) & 7)) & 1;
}

std::ptrdiff_t stopTail(const unsigned char* data, std::ptrdiff_t p, std::ptrdiff_t size,
                        const StopSet& set) {
    while (p < size && !inSet(set, data[p]))
        ++p;
    return p;
}

// Candidates are where the first byte fits and the second byte (the first
// again for a one-byte token) fits right after it.
std::ptrdiff_t secondOffset(const TokenPattern& t) {
    return t.size > 1 ? 1 : 0;
}

// The bit of each high nibble in a row of the tables, as wide as they are.
constexpr unsigned char kBitOfHighNibble[64] = {
    1,  2,   4,  8,   16, 32, 64, 128, 1,  2,   4,  8,   16, 32, 64, 128, 1,  2,   4,  8,  16, 32,
    64, 128, 1,  2,   4,  8,  16, 32,  64, 128, 1,  2,   4,  8,  16, 32,  64, 128, 1,  2,  4,  8,
    16, 32,  64, 128, 1,  2,  4,  8,   16, 32,  64, 128, 1,  2,  4,  8,   16, 32,  64, 128};

} // namespace

bool cpuHasAvx2() {
    // Also checks that the system saves the wide registers.
    return __builtin_cpu_supports("avx2");
}

bool cpuHasAvx512() {
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
}

std::ptrdiff_t tokenSse2(const unsigned char* data, std::ptrdiff_t from, std::ptrdiff_t size,
                         const TokenPattern& t) {
    const std::ptrdiff_t second = secondOffset(t);
    const __m128i b0 = _mm_set1_epi8(static_cast<char>(t.bytes[0]));
    const __m128i c0 = _mm_set1_epi8(static_cast<char>(t.caseBits[0]));
    const __m128i b1 = _mm_set1_epi8(static_cast<char>(t.bytes[second]));
    const __m128i c1 = _mm_set1_epi8(static_cast<char>(t.caseBits[second]));
    const std::ptrdiff_t lastStart = size - t.size;
    std::ptrdiff_t p = from;
    // Both loads of a block stay inside the page.
    for (; p + 16 <= lastStart + 1; p += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p + second));
        const __m128i hit = _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(a, c0), b0),
                                          _mm_cmpeq_epi8(_mm_or_si128(b, c1), b1));
        for (unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(hit)); bits;
             bits &= bits - 1) {
            const std::ptrdiff_t start = p + __builtin_ctz(bits);
            if (restMatches(t, data + start))
                return start;
        }
    }
    return tokenTail(data, p, lastStart, t);
}

__attribute__((target("avx2"))) std::ptrdiff_t tokenAvx2(const unsigned char* data,
                                                         std::ptrdiff_t from, std::ptrdiff_t size,
                                                         const TokenPattern& t) {
    const std::ptrdiff_t second = secondOffset(t);
    const __m256i b0 = _mm256_set1_epi8(static_cast<char>(t.bytes[0]));
    const __m256i c0 = _mm256_set1_epi8(static_cast<char>(t.caseBits[0]));
    const __m256i b1 = _mm256_set1_epi8(static_cast<char>(t.bytes[second]));
    const __m256i c1 = _mm256_set1_epi8(static_cast<char>(t.caseBits[second]));
    const std::ptrdiff_t lastStart = size - t.size;
    std::ptrdiff_t p = from;
    for (; p + 32 <= lastStart + 1; p += 32) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + p));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + p + second));
        const __m256i hit = _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_or_si256(a, c0), b0),
                                             _mm256_cmpeq_epi8(_mm256_or_si256(b, c1), b1));
        for (unsigned bits = static_cast<unsigned>(_mm256_movemask_epi8(hit)); bits;
             bits &= bits - 1) {
            const std::ptrdiff_t start = p + __builtin_ctz(bits);
            if (restMatches(t, data + start))
                return start;
        }
    }
    return tokenTail(data, p, lastStart, t);
}

__attribute__((target("avx512f,avx512bw"))) std::ptrdiff_t tokenAvx512(const unsigned char* data,
                                                                       std::ptrdiff_t from,
                                                                       std::ptrdiff_t size,
                                                                       const TokenPattern& t) {
    const std::ptrdiff_t second = secondOffset(t);
    const __m512i b0 = _mm512_set1_epi8(static_cast<char>(t.bytes[0]));
    const __m512i c0 = _mm512_set1_epi8(static_cast<char>(t.caseBits[0]));
    const __m512i b1 = _mm512_set1_epi8(static_cast<char>(t.bytes[second]));
    const __m512i c1 = _mm512_set1_epi8(static_cast<char>(t.caseBits[second]));
    const std::ptrdiff_t lastStart = size - t.size;
    std::ptrdiff_t p = from;
    for (; p + 64 <= lastStart + 1; p += 64) {
        const __m512i a = _mm512_loadu_si512(data + p);
        const __m512i b = _mm512_loadu_si512(data + p + second);
        const __mmask64 first = _mm512_cmpeq_epi8_mask(_mm512_or_si512(a, c0), b0);
        for (auto bits = _mm512_mask_cmpeq_epi8_mask(first, _mm512_or_si512(b, c1), b1); bits;
             bits &= bits - 1) {
            const std::ptrdiff_t start = p + __builtin_ctzll(bits);
            if (restMatches(t, data + start))
                return start;
        }
    }
    return tokenTail(data, p, lastStart, t);
}

std::ptrdiff_t stopSse2(const unsigned char* data, std::ptrdiff_t from, std::ptrdiff_t size,
                        const StopSet& set) {
    __m128i wanted[8];
    for (int i = 0; i < set.count; ++i)
        wanted[i] = _mm_set1_epi8(static_cast<char>(set.bytes[i]));
    const __m128i nine = _mm_set1_epi8(9);
    const __m128i four = _mm_set1_epi8(4);
    std::ptrdiff_t p = from;
    for (; p + 16 <= size; p += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p));
        __m128i hit = _mm_setzero_si128();
        if (set.controls) {
            // 9 to 13: below 5 once 9 is taken off, without sign.
            const __m128i offset = _mm_sub_epi8(block, nine);
            hit = _mm_cmpeq_epi8(_mm_min_epu8(offset, four), offset);
        }
        for (int i = 0; i < set.count; ++i)
            hit = _mm_or_si128(hit, _mm_cmpeq_epi8(block, wanted[i]));
        if (const unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(hit)))
            return p + __builtin_ctz(bits);
    }
    return stopTail(data, p, size, set);
}

// For each byte: its row of the table for its half of the byte range (the
// shuffle gives 0 for an index with the top bit set), and in it the bit of
// its high nibble.
__attribute__((target("avx2"))) std::ptrdiff_t
stopAvx2(const unsigned char* data, std::ptrdiff_t from, std::ptrdiff_t size, const StopSet& set) {
    const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(set.low));
    const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(set.high));
    const __m256i bitOf = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kBitOfHighNibble));
    const __m256i topBit = _mm256_set1_epi8(static_cast<char>(0x80));
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    std::ptrdiff_t p = from;
    for (; p + 32 <= size; p += 32) {
        const __m256i block = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + p));
        const __m256i row =
            _mm256_or_si256(_mm256_shuffle_epi8(low, block),
                            _mm256_shuffle_epi8(high, _mm256_xor_si256(block, topBit)));
        const __m256i bit =
            _mm256_shuffle_epi8(bitOf, _mm256_and_si256(_mm256_srli_epi16(block, 4), nibble));
        const __m256i miss = _mm256_cmpeq_epi8(_mm256_and_si256(row, bit), _mm256_setzero_si256());
        if (const unsigned bits = ~static_cast<unsigned>(_mm256_movemask_epi8(miss)))
            return p + __builtin_ctz(bits);
    }
    return stopTail(data, p, size, set);
}

__attribute__((target("avx512f,avx512bw"))) std::ptrdiff_t stopAvx512(const unsigned char* data,
                                                                      std::ptrdiff_t from,
                                                                      std::ptrdiff_t size,
                                                                      const StopSet& set) {
    const __m512i low = _mm512_loadu_si512(set.low);
    const __m512i high = _mm512_loadu_si512(set.high);
    const __m512i bitOf = _mm512_loadu_si512(kBitOfHighNibble);
    const __m512i topBit = _mm512_set1_epi8(static_cast<char>(0x80));
    const __m512i nibble = _mm512_set1_epi8(0x0F);
    std::ptrdiff_t p = from;
    for (; p + 64 <= size; p += 64) {
        const __m512i block = _mm512_loadu_si512(data + p);
        const __m512i row =
            _mm512_or_si512(_mm512_shuffle_epi8(low, block),
                            _mm512_shuffle_epi8(high, _mm512_xor_si512(block, topBit)));
        const __m512i bit =
            _mm512_shuffle_epi8(bitOf, _mm512_and_si512(_mm512_srli_epi16(block, 4), nibble));
        if (const __mmask64 bits = _mm512_test_epi8_mask(row, bit))
            return p + __builtin_ctzll(bits);
    }
    return stopTail(data, p, size, set);
}

} // namespace byte_search

#endif
