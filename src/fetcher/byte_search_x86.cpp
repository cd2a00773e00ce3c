#include "fetcher/byte_search_x86.h"

#ifdef VIGILO_BYTE_SEARCH_X86

#include <immintrin.h>

// Only intrinsics and plain code here: an inline library function compiled
// for AVX2 could otherwise be shared with callers on CPUs without it.

namespace byte_search {

namespace {

bool isEnd(const TokenEnds& t, const unsigned char* data, std::ptrdiff_t p) {
    const unsigned char a = data[p];
    const unsigned char b = data[p + t.lastOffset];
    return (a == t.first[0] || a == t.first[1]) && (b == t.last[0] || b == t.last[1]);
}

bool isDelimiter(const DelimiterBytes& set, unsigned char byte) {
    for (int i = 0; i < set.count; ++i)
        if (set.bytes[i] == byte)
            return true;
    return false;
}

} // namespace

bool cpuHasAvx2() {
    // Also checks that the system saves the wide registers.
    return __builtin_cpu_supports("avx2");
}

std::ptrdiff_t tokenCandidateSse2(const unsigned char* data, std::ptrdiff_t from,
                                  std::ptrdiff_t lastStart, const TokenEnds& t) {
    const __m128i f0 = _mm_set1_epi8(static_cast<char>(t.first[0]));
    const __m128i f1 = _mm_set1_epi8(static_cast<char>(t.first[1]));
    const __m128i l0 = _mm_set1_epi8(static_cast<char>(t.last[0]));
    const __m128i l1 = _mm_set1_epi8(static_cast<char>(t.last[1]));
    std::ptrdiff_t p = from;
    // Both loads of a block stay inside the page.
    for (; p + 16 <= lastStart + 1; p += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p));
        const __m128i b =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p + t.lastOffset));
        const __m128i hit =
            _mm_and_si128(_mm_or_si128(_mm_cmpeq_epi8(a, f0), _mm_cmpeq_epi8(a, f1)),
                          _mm_or_si128(_mm_cmpeq_epi8(b, l0), _mm_cmpeq_epi8(b, l1)));
        if (const unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(hit)))
            return p + __builtin_ctz(bits);
    }
    for (; p <= lastStart; ++p)
        if (isEnd(t, data, p))
            return p;
    return -1;
}

__attribute__((target("avx2"))) std::ptrdiff_t tokenCandidateAvx2(const unsigned char* data,
                                                                  std::ptrdiff_t from,
                                                                  std::ptrdiff_t lastStart,
                                                                  const TokenEnds& t) {
    const __m256i f0 = _mm256_set1_epi8(static_cast<char>(t.first[0]));
    const __m256i f1 = _mm256_set1_epi8(static_cast<char>(t.first[1]));
    const __m256i l0 = _mm256_set1_epi8(static_cast<char>(t.last[0]));
    const __m256i l1 = _mm256_set1_epi8(static_cast<char>(t.last[1]));
    std::ptrdiff_t p = from;
    for (; p + 32 <= lastStart + 1; p += 32) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + p));
        const __m256i b =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + p + t.lastOffset));
        const __m256i hit =
            _mm256_and_si256(_mm256_or_si256(_mm256_cmpeq_epi8(a, f0), _mm256_cmpeq_epi8(a, f1)),
                             _mm256_or_si256(_mm256_cmpeq_epi8(b, l0), _mm256_cmpeq_epi8(b, l1)));
        if (const unsigned bits = static_cast<unsigned>(_mm256_movemask_epi8(hit)))
            return p + __builtin_ctz(bits);
    }
    for (; p <= lastStart; ++p)
        if (isEnd(t, data, p))
            return p;
    return -1;
}

std::ptrdiff_t delimiterSse2(const unsigned char* data, std::ptrdiff_t from, std::ptrdiff_t size,
                             const DelimiterBytes& set) {
    if (set.count == 0)
        return size;
    __m128i wanted[8];
    for (int i = 0; i < set.count; ++i)
        wanted[i] = _mm_set1_epi8(static_cast<char>(set.bytes[i]));
    std::ptrdiff_t p = from;
    for (; p + 16 <= size; p += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p));
        __m128i hit = _mm_cmpeq_epi8(block, wanted[0]);
        for (int i = 1; i < set.count; ++i)
            hit = _mm_or_si128(hit, _mm_cmpeq_epi8(block, wanted[i]));
        if (const unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(hit)))
            return p + __builtin_ctz(bits);
    }
    for (; p < size; ++p)
        if (isDelimiter(set, data[p]))
            return p;
    return size;
}

__attribute__((target("avx2"))) std::ptrdiff_t delimiterAvx2(const unsigned char* data,
                                                             std::ptrdiff_t from,
                                                             std::ptrdiff_t size,
                                                             const DelimiterBytes& set) {
    if (set.count == 0)
        return size;
    __m256i wanted[8];
    for (int i = 0; i < set.count; ++i)
        wanted[i] = _mm256_set1_epi8(static_cast<char>(set.bytes[i]));
    std::ptrdiff_t p = from;
    for (; p + 32 <= size; p += 32) {
        const __m256i block = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + p));
        __m256i hit = _mm256_cmpeq_epi8(block, wanted[0]);
        for (int i = 1; i < set.count; ++i)
            hit = _mm256_or_si256(hit, _mm256_cmpeq_epi8(block, wanted[i]));
        if (const unsigned bits = static_cast<unsigned>(_mm256_movemask_epi8(hit)))
            return p + __builtin_ctz(bits);
    }
    for (; p < size; ++p)
        if (isDelimiter(set, data[p]))
            return p;
    return size;
}

} // namespace byte_search

#endif
