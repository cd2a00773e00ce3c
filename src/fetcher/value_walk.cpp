#include "fetcher/byte_search_x86.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace byte_search {

namespace {

// Blocks read at once: the kernel keeps its vectors over a stretch of the
// page, and the walk needs none of them.
constexpr int kChunkBlocks = 32;

bool inSet(const StopSet& set, unsigned char b) {
    return b < 0x80 ? (set.low[b & 15] >> (b >> 4)) & 1 : (set.high[b & 15] >> ((b >> 4) & 7)) & 1;
}

// The token's bytes past the two that the masks have seen.
bool restMatches(const TokenPattern& t, const unsigned char* at) {
    for (std::ptrdiff_t i = 2; i < t.size; ++i)
        if ((at[i] | t.caseBits[i]) != t.bytes[i])
            return false;
    return true;
}

std::uint64_t load64(const unsigned char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    return word;
}

// A token's first eight bytes as one word compare, where eight bytes can be
// read: a candidate is then confirmed without a loop.
struct TokenWord {
    explicit TokenWord(const TokenPattern& t) {
        const std::ptrdiff_t n = std::min<std::ptrdiff_t>(t.size, 8);
        for (std::ptrdiff_t i = 0; i < n; ++i) {
            bytes |= std::uint64_t{t.bytes[i]} << (8 * i);
            caseBits |= std::uint64_t{t.caseBits[i]} << (8 * i);
            mask |= std::uint64_t{0xFF} << (8 * i);
        }
        whole = t.size <= 8;
    }
    bool matches(const TokenPattern& t, const unsigned char* data, std::ptrdiff_t at,
                 std::ptrdiff_t size) const {
        if (std::endian::native != std::endian::little || at + 8 > size)
            return restMatches(t, data + at);
        return ((load64(data + at) | caseBits) & mask) == bytes &&
               (whole || restMatches(t, data + at));
    }
    std::uint64_t bytes = 0;
    std::uint64_t caseBits = 0;
    std::uint64_t mask = 0;
    bool whole = true;
};

// One block's masks byte by byte, for the page's last bytes, which a vector
// block would read past.
void tailMasks(const unsigned char* data, std::ptrdiff_t base, std::ptrdiff_t size,
               const ValueSearch& search, std::uint64_t& candidates, std::uint64_t& stops) {
    const TokenPattern& t = search.token;
    const std::ptrdiff_t second = t.size > 1 ? 1 : 0;
    candidates = 0;
    stops = 0;
    const int count = static_cast<int>(std::min<std::ptrdiff_t>(64, size - base));
    for (int i = 0; i < count; ++i) {
        const std::ptrdiff_t at = base + i;
        if (inSet(search.delimitersOrControls, data[at]))
            stops |= std::uint64_t{1} << i;
        if (at + second < size && (data[at] | t.caseBits[0]) == t.bytes[0] &&
            (data[at + second] | t.caseBits[second]) == t.bytes[second])
            candidates |= std::uint64_t{1} << i;
    }
}

// The masks of a stretch of blocks starting anywhere in the page, and which
// of those blocks hold a candidate: the walk jumps to the next such block
// without testing the empty ones one by one.
struct Chunk {
    std::ptrdiff_t base = 0;
    std::ptrdiff_t end = 0; // one past the last byte the masks cover
    std::uint32_t candidateBlocks = 0;
    std::uint64_t candidates[kChunkBlocks];
    std::uint64_t stops[kChunkBlocks + 1]; // and none past the last block

    void read(const unsigned char* data, std::ptrdiff_t from, std::ptrdiff_t size,
              const ValueSearch& search, BlockMasks masks) {
        base = from;
        const std::ptrdiff_t second = search.token.size > 1 ? 1 : 0;
        const std::ptrdiff_t whole = (size - second - from) / 64;
        int count = static_cast<int>(std::min<std::ptrdiff_t>(kChunkBlocks, whole));
        if (count > 0) {
            masks(data, from, count, search, candidates, stops);
        } else {
            tailMasks(data, from, size, search, candidates[0], stops[0]);
            count = 1;
        }
        end = from + 64 * count;
        stops[count] = 0;
        candidateBlocks = 0;
        for (int k = 0; k < count; ++k)
            candidateBlocks |= std::uint32_t{candidates[k] != 0} << k;
    }
};

[[gnu::always_inline]] inline int walk(const unsigned char* data, std::ptrdiff_t from,
                                       std::ptrdiff_t size, const ValueSearch& search,
                                       BlockMasks masks, Value* out, int capacity,
                                       std::ptrdiff_t* resume) {
    const TokenPattern& t = search.token;
    const std::ptrdiff_t lastStart = size - t.size;
    const TokenWord word(t);
    Chunk chunk;
    std::ptrdiff_t p = from;
    if (p <= lastStart)
        chunk.read(data, p, size, search, masks);
    for (int n = 0; n < capacity; ++n) {
        // The next token: the first candidate from p on that matches whole.
        std::ptrdiff_t start;
        for (;;) {
            if (p > lastStart) {
                *resume = -1;
                return n;
            }
            if (p >= chunk.end)
                chunk.read(data, p, size, search, masks);
            const auto offset = static_cast<std::size_t>(p - chunk.base);
            auto k = static_cast<unsigned>(offset / 64);
            std::uint64_t m = chunk.candidates[k] & (~std::uint64_t{0} << (offset % 64));
            if (m == 0) {
                const std::uint32_t later = chunk.candidateBlocks & (~std::uint32_t{1} << k);
                if (later == 0) {
                    p = chunk.end;
                    continue;
                }
                k = static_cast<unsigned>(__builtin_ctz(later));
                m = chunk.candidates[k];
            }
            start = chunk.base + 64 * k + __builtin_ctzll(m);
            if (start > lastStart) {
                *resume = -1;
                return n;
            }
            if (word.matches(t, data, start, size))
                break;
            p = start + 1;
        }
        // Its value: to the first delimiter, noting controls passed on the way.
        Value& value = out[n];
        value.begin = start + t.size;
        value.controls = false;
        value.end = size;
        for (std::ptrdiff_t v = value.begin; v < size;) {
            if (v >= chunk.end)
                chunk.read(data, v, size, search, masks);
            // The 64 bytes from v on, over two blocks: most values end there.
            const auto offset = static_cast<std::size_t>(v - chunk.base);
            const std::size_t k = offset / 64;
            const unsigned shift = offset % 64;
            const std::uint64_t m =
                (chunk.stops[k] >> shift) | ((chunk.stops[k + 1] << 1) << (63 - shift));
            if (m == 0) {
                v = std::min(v + 64, chunk.end);
                continue;
            }
            const std::ptrdiff_t at = v + __builtin_ctzll(m);
            if (inSet(search.delimiters, data[at])) {
                value.end = at;
                break;
            }
            value.controls = true;
            v = at + 1;
        }
        if (value.end >= size) {
            *resume = -1;
            return n + 1;
        }
        p = value.end + 1;
    }
    *resume = p;
    return capacity;
}

} // namespace

int walkValues(const unsigned char* data, std::ptrdiff_t from, std::ptrdiff_t size,
               const ValueSearch& search, BlockMasks masks, Value* out, int capacity,
               std::ptrdiff_t* resume) {
    return walk(data, from, size, search, masks, out, capacity, resume);
}

#ifdef VIGILO_BYTE_SEARCH_X86
// The same walk with shifts that take their count in any register: the walk
// shifts a mask by a variable count at every step.
__attribute__((target("bmi,bmi2"))) int walkValuesBmi2(const unsigned char* data,
                                                       std::ptrdiff_t from, std::ptrdiff_t size,
                                                       const ValueSearch& search, BlockMasks masks,
                                                       Value* out, int capacity,
                                                       std::ptrdiff_t* resume) {
    return walk(data, from, size, search, masks, out, capacity, resume);
}

bool cpuHasBmi2() {
    return __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2");
}
#endif

} // namespace byte_search
