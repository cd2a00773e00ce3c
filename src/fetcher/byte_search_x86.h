#pragma once

#include <cstddef>
#include <cstdint>

// The block search behind ByteTokenScanner: vector kernels turn each 64-byte
// block into bit masks (SSE2, which every x86-64 has, and AVX2 and AVX-512
// for CPUs that report them at run time), and one walk over the masks finds
// the tokens and their values. Elsewhere no kernel is built and the portable
// search is used.
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

// A value found after a token: [begin, end), end being its delimiter or the
// page's end; `controls` when a byte from 9 to 13 lies inside it.
struct Value {
    std::ptrdiff_t begin;
    std::ptrdiff_t end;
    bool controls;
};

// What a search for values needs: the token, the delimiters, and the
// delimiters together with the bytes 9 to 13.
struct ValueSearch {
    TokenPattern token;
    StopSet delimiters;
    StopSet delimitersOrControls;
};

// Bit masks of consecutive 64-byte blocks from `base` on, bit i of a block
// for the byte at its start + i: in `candidates` where the token's first two
// bytes fit (the rest is not looked at), in `stops` where a byte of
// `delimitersOrControls` lies. Every byte read, one past the blocks for the
// token's second byte, lies inside the page.
using BlockMasks = void (*)(const unsigned char* data, std::ptrdiff_t base, int blocks,
                            const ValueSearch& search, std::uint64_t* candidates,
                            std::uint64_t* stops);

// The values after the next tokens from `from` on, at most `capacity` of
// them, each search for a token resuming after the last delimiter; the
// blocks are read through `masks`. Returns how many were found; `resume` is
// where the next search starts, or -1 when the page is done.
int walkValues(const unsigned char* data, std::ptrdiff_t from, std::ptrdiff_t size,
               const ValueSearch& search, BlockMasks masks, Value* out, int capacity,
               std::ptrdiff_t* resume);

#ifdef VIGILO_BYTE_SEARCH_X86
// walkValues for CPUs with BMI2, which every AVX2 one has in practice.
bool cpuHasBmi2();
int walkValuesBmi2(const unsigned char* data, std::ptrdiff_t from, std::ptrdiff_t size,
                   const ValueSearch& search, BlockMasks masks, Value* out, int capacity,
                   std::ptrdiff_t* resume);

bool cpuHasAvx2();
bool cpuHasAvx512();

// SSE2 needs both sets to fit compares.
void masksSse2(const unsigned char* data, std::ptrdiff_t base, int blocks,
               const ValueSearch& search, std::uint64_t* candidates, std::uint64_t* stops);
void masksAvx2(const unsigned char* data, std::ptrdiff_t base, int blocks,
               const ValueSearch& search, std::uint64_t* candidates, std::uint64_t* stops);
void masksAvx512(const unsigned char* data, std::ptrdiff_t base, int blocks,
                 const ValueSearch& search, std::uint64_t* candidates, std::uint64_t* stops);
#endif

} // namespace byte_search
