#include "fetcher/byte_search_x86.h"

#ifdef VIGILO_BYTE_SEARCH_X86

#include <immintrin.h>

// Only intrinsics and plain code here: an inline library function compiled
// for AVX2 could otherwise be shared with callers on CPUs without it.

namespace byte_search {

namespace {

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

// How far ahead of the block at hand the page is fetched into the cache:
// the walk works between the kernel's stretches, and the processor's own
// prefetcher loses the stream meanwhile.
constexpr std::ptrdiff_t kAhead = 4096;

// A prefetch past the page's end is harmless; only the address is formed
// outside it, as a number.
void fetchAhead(const unsigned char* block) {
    const std::uintptr_t ahead = reinterpret_cast<std::uintptr_t>(block) + kAhead;
    _mm_prefetch(reinterpret_cast<const char*>(ahead), _MM_HINT_T0);
}

} // namespace

bool cpuHasAvx2() {
    // Also checks that the system saves the wide registers.
    return __builtin_cpu_supports("avx2");
}

bool cpuHasAvx512() {
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
}

// SSE2: four quarters of 16 bytes; sets are compared byte by byte, with the
// range 9 to 13 as one unsigned compare.
void masksSse2(const unsigned char* data, std::ptrdiff_t base, int blocks,
               const ValueSearch& search, std::uint64_t* candidates, std::uint64_t* stops) {
    const TokenPattern& t = search.token;
    const StopSet& set = search.delimitersOrControls;
    const std::ptrdiff_t second = secondOffset(t);
    const __m128i b0 = _mm_set1_epi8(static_cast<char>(t.bytes[0]));
    const __m128i c0 = _mm_set1_epi8(static_cast<char>(t.caseBits[0]));
    const __m128i b1 = _mm_set1_epi8(static_cast<char>(t.bytes[second]));
    const __m128i c1 = _mm_set1_epi8(static_cast<char>(t.caseBits[second]));
    const __m128i nine = _mm_set1_epi8(9);
    const __m128i four = _mm_set1_epi8(4);
    for (int k = 0; k < blocks; ++k) {
        fetchAhead(data + base + 64 * k);
        std::uint64_t cand = 0;
        std::uint64_t stop = 0;
        for (int quarter = 0; quarter < 4; ++quarter) {
            const unsigned char* at = data + base + 64 * k + 16 * quarter;
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + second));
            const __m128i hit = _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(a, c0), b0),
                                              _mm_cmpeq_epi8(_mm_or_si128(b, c1), b1));
            __m128i stopHit = _mm_setzero_si128();
            if (set.controls) {
                // 9 to 13: below 5 once 9 is taken off, without sign.
                const __m128i offset = _mm_sub_epi8(a, nine);
                stopHit = _mm_cmpeq_epi8(_mm_min_epu8(offset, four), offset);
            }
            for (int i = 0; i < set.count; ++i)
                stopHit = _mm_or_si128(
                    stopHit, _mm_cmpeq_epi8(a, _mm_set1_epi8(static_cast<char>(set.bytes[i]))));
            cand |= std::uint64_t(static_cast<unsigned>(_mm_movemask_epi8(hit))) << (16 * quarter);
            stop |= std::uint64_t(static_cast<unsigned>(_mm_movemask_epi8(stopHit)))
                    << (16 * quarter);
        }
        candidates[k] = cand;
        stops[k] = stop;
    }
}

// AVX2: two halves of 32 bytes. A set is looked up by nibbles: for each byte
// its row of the table for its half of the byte range (the shuffle gives 0
// for an index with the top bit set), and in it the bit of its high nibble.
__attribute__((target("avx2"))) void masksAvx2(const unsigned char* data, std::ptrdiff_t base,
                                               int blocks, const ValueSearch& search,
                                               std::uint64_t* candidates, std::uint64_t* stops) {
    const TokenPattern& t = search.token;
    const StopSet& set = search.delimitersOrControls;
    const std::ptrdiff_t second = secondOffset(t);
    const __m256i b0 = _mm256_set1_epi8(static_cast<char>(t.bytes[0]));
    const __m256i c0 = _mm256_set1_epi8(static_cast<char>(t.caseBits[0]));
    const __m256i b1 = _mm256_set1_epi8(static_cast<char>(t.bytes[second]));
    const __m256i c1 = _mm256_set1_epi8(static_cast<char>(t.caseBits[second]));
    const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(set.low));
    const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(set.high));
    const __m256i bitOf = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kBitOfHighNibble));
    const __m256i topBit = _mm256_set1_epi8(static_cast<char>(0x80));
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    for (int k = 0; k < blocks; ++k) {
        fetchAhead(data + base + 64 * k);
        std::uint64_t cand = 0;
        std::uint64_t stop = 0;
        for (int half = 0; half < 2; ++half) {
            const unsigned char* at = data + base + 64 * k + 32 * half;
            const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
            const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + second));
            const __m256i hit = _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_or_si256(a, c0), b0),
                                                 _mm256_cmpeq_epi8(_mm256_or_si256(b, c1), b1));
            const __m256i row =
                _mm256_or_si256(_mm256_shuffle_epi8(low, a),
                                _mm256_shuffle_epi8(high, _mm256_xor_si256(a, topBit)));
            const __m256i bit =
                _mm256_shuffle_epi8(bitOf, _mm256_and_si256(_mm256_srli_epi16(a, 4), nibble));
            const __m256i miss =
                _mm256_cmpeq_epi8(_mm256_and_si256(row, bit), _mm256_setzero_si256());
            cand |= std::uint64_t(static_cast<unsigned>(_mm256_movemask_epi8(hit))) << (32 * half);
            stop |= std::uint64_t(~static_cast<unsigned>(_mm256_movemask_epi8(miss)))
                    << (32 * half);
        }
        candidates[k] = cand;
        stops[k] = stop;
    }
}

// AVX-512 with byte operations: a whole block at once, as AVX2 does it.
__attribute__((target("avx512f,avx512bw"))) void
masksAvx512(const unsigned char* data, std::ptrdiff_t base, int blocks, const ValueSearch& search,
            std::uint64_t* candidates, std::uint64_t* stops) {
    const TokenPattern& t = search.token;
    const StopSet& set = search.delimitersOrControls;
    const std::ptrdiff_t second = secondOffset(t);
    const __m512i b0 = _mm512_set1_epi8(static_cast<char>(t.bytes[0]));
    const __m512i c0 = _mm512_set1_epi8(static_cast<char>(t.caseBits[0]));
    const __m512i b1 = _mm512_set1_epi8(static_cast<char>(t.bytes[second]));
    const __m512i c1 = _mm512_set1_epi8(static_cast<char>(t.caseBits[second]));
    const __m512i low = _mm512_loadu_si512(set.low);
    const __m512i high = _mm512_loadu_si512(set.high);
    const __m512i bitOf = _mm512_loadu_si512(kBitOfHighNibble);
    const __m512i topBit = _mm512_set1_epi8(static_cast<char>(0x80));
    const __m512i nibble = _mm512_set1_epi8(0x0F);
    for (int k = 0; k < blocks; ++k) {
        const unsigned char* at = data + base + 64 * k;
        fetchAhead(at);
        const __m512i a = _mm512_loadu_si512(at);
        const __m512i b = _mm512_loadu_si512(at + second);
        const __mmask64 first = _mm512_cmpeq_epi8_mask(_mm512_or_si512(a, c0), b0);
        candidates[k] = _mm512_mask_cmpeq_epi8_mask(first, _mm512_or_si512(b, c1), b1);
        const __m512i row = _mm512_or_si512(_mm512_shuffle_epi8(low, a),
                                            _mm512_shuffle_epi8(high, _mm512_xor_si512(a, topBit)));
        const __m512i bit =
            _mm512_shuffle_epi8(bitOf, _mm512_and_si512(_mm512_srli_epi16(a, 4), nibble));
        stops[k] = _mm512_test_epi8_mask(row, bit);
    }
}

} // namespace byte_search

#endif
