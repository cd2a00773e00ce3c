#pragma once

#include <cstddef>

// Vector kernels for the byte searches of ByteTokenScanner on x86-64: SSE2,
// which every such CPU has, and AVX2 and AVX-512 for CPUs that report them at
// run time. Elsewhere none is built and the portable search is used.
#if defined(__x86_64__) && defined(__GNUC__)
#define VIGILO_BYTE_SEARCH_X86 1
#endif

namespace byte_search {

// A token as the kernels match it: its folded bytes, and for each the bit
// that tells its two letter cases apart (0x20 for a letter, 0 for a byte
// with no other case), so that (page byte | caseBit) == byte is a match.
struct TokenPattern {
    const unsigned char* bytes = nullptr;
    const unsigned char* caseBits = nullptr;
    std::ptrdiff_t size = 0; // at least 1
};

// A set of bytes where a search stops, in the forms the kernels read:
// - `low` and `high`: for bytes below and from 0x80, indexed by the low
//   nibble, one bit per high nibble (modulo 8): any set, two table lookups
//   per 16 bytes where the CPU has a byte shuffle. Each 16-byte table is
//   repeated four times, as the widest shuffle reads it;
// - `bytes` and `controls`: up to eight bytes compared one by one, plus the
//   range 9 to 13 when `controls` is set, for SSE2, which has no shuffle.
struct StopSet {
    unsigned char low[64] = {};
    unsigned char high[64] = {};
    unsigned char bytes[8] = {};
    int count = 0;
    bool controls = false;
    bool fitsCompares = true; // false: more than eight bytes besides 9 to 13
};

#ifdef VIGILO_BYTE_SEARCH_X86
bool cpuHasAvx2();
bool cpuHasAvx512();

// The first position in [from, size - token size] where the whole token
// matches, or -1. The first two bytes are matched a block at a time, the rest
// only where those two fit.
std::ptrdiff_t tokenSse2(const unsigned char* data, std::ptrdiff_t from, std::ptrdiff_t size,
                         const TokenPattern& token);
std::ptrdiff_t tokenAvx2(const unsigned char* data, std::ptrdiff_t from, std::ptrdiff_t size,
                         const TokenPattern& token);
std::ptrdiff_t tokenAvx512(const unsigned char* data, std::ptrdiff_t from, std::ptrdiff_t size,
                           const TokenPattern& token);

// The first position in [from, size) holding a byte of the set; size if none.
// The SSE2 kernel needs `fitsCompares`.
std::ptrdiff_t stopSse2(const unsigned char* data, std::ptrdiff_t from, std::ptrdiff_t size,
                        const StopSet& set);
std::ptrdiff_t stopAvx2(const unsigned char* data, std::ptrdiff_t from, std::ptrdiff_t size,
                        const StopSet& set);
std::ptrdiff_t stopAvx512(const unsigned char* data, std::ptrdiff_t from, std::ptrdiff_t size,
                          const StopSet& set);
#endif

} // namespace byte_search
