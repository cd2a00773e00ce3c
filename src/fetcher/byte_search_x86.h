#pragma once

#include <cstddef>

// Vector kernels for the byte searches of ByteTokenScanner on x86-64: SSE2,
// which every such CPU has, and AVX2 for CPUs that report it at run time.
// Elsewhere none is built and the portable search is used.
#if defined(__x86_64__) && defined(__GNUC__)
#define VIGILO_BYTE_SEARCH_X86 1
#endif

namespace byte_search {

// A token, as the vector search sees it: its first and last bytes, each in
// both letter cases (the same byte twice when it has no other case).
struct TokenEnds {
    unsigned char first[2];
    unsigned char last[2];
    std::ptrdiff_t lastOffset; // token size - 1
};

// Up to eight bytes that end a value.
struct DelimiterBytes {
    unsigned char bytes[8];
    int count = 0;
};

#ifdef VIGILO_BYTE_SEARCH_X86
bool cpuHasAvx2();

// The first position p in [from, lastStart] whose byte is one of `first` and
// whose byte at p + lastOffset is one of `last`; -1 when there is none.
std::ptrdiff_t tokenCandidateSse2(const unsigned char* data, std::ptrdiff_t from,
                                  std::ptrdiff_t lastStart, const TokenEnds& token);
std::ptrdiff_t tokenCandidateAvx2(const unsigned char* data, std::ptrdiff_t from,
                                  std::ptrdiff_t lastStart, const TokenEnds& token);

// The first position in [from, size) holding one of the bytes; size if none.
std::ptrdiff_t delimiterSse2(const unsigned char* data, std::ptrdiff_t from, std::ptrdiff_t size,
                             const DelimiterBytes& set);
std::ptrdiff_t delimiterAvx2(const unsigned char* data, std::ptrdiff_t from, std::ptrdiff_t size,
                             const DelimiterBytes& set);
#endif

} // namespace byte_search
