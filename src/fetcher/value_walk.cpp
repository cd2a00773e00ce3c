#include "fetcher/byte_search_x86.h"

#include <algorithm>

namespace byte_search {

namespace {

// Blocks read at once: the kernel keeps its vectors over a stretch of the
// page, and the walk needs none of them.
constexpr int kChunkBlocks = 16;

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

// The masks of a stretch of blocks starting anywhere in the page.
class Blocks {
public:
    Blocks(const unsigned char* data, std::ptrdiff_t size, const ValueSearch& search,
           BlockMasks masks)
        : data_(data), size_(size), search_(search), masks_(masks) {}

    // The block holding `at` (inside the page): its start and masks.
    struct Block {
        std::ptrdiff_t start;
        std::uint64_t candidates;
        std::uint64_t stops;
    };
    Block at(std::ptrdiff_t at) {
        if (at < base_ || at >= base_ + 64 * count_)
            read(at);
        const int k = static_cast<int>((at - base_) / 64);
        return {base_ + 64 * k, candidates_[k], stops_[k]};
    }

private:
    void read(std::ptrdiff_t from) {
        base_ = from;
        const std::ptrdiff_t second = search_.token.size > 1 ? 1 : 0;
        const std::ptrdiff_t whole = (size_ - second - from) / 64;
        count_ = static_cast<int>(std::min<std::ptrdiff_t>(kChunkBlocks, whole));
        if (count_ > 0) {
            masks_(data_, from, count_, search_, candidates_, stops_);
        } else {
            tailMasks(data_, from, size_, search_, candidates_[0], stops_[0]);
            count_ = 1;
        }
    }

    const unsigned char* data_;
    std::ptrdiff_t size_;
    const ValueSearch& search_;
    BlockMasks masks_;
    std::ptrdiff_t base_ = 0;
    int count_ = 0;
    std::uint64_t candidates_[kChunkBlocks];
    std::uint64_t stops_[kChunkBlocks];
};

// Clears the bits below `from`, a position inside the block.
std::uint64_t fromBit(std::uint64_t mask, std::ptrdiff_t from) {
    return mask & (~std::uint64_t{0} << from);
}

} // namespace

int walkValues(const unsigned char* data, std::ptrdiff_t from, std::ptrdiff_t size,
               const ValueSearch& search, BlockMasks masks, Value* out, int capacity,
               std::ptrdiff_t* resume) {
    const TokenPattern& t = search.token;
    const std::ptrdiff_t lastStart = size - t.size;
    Blocks blocks(data, size, search, masks);
    std::ptrdiff_t p = from;
    for (int n = 0; n < capacity; ++n) {
        // The next token: candidates in this block and on, each checked whole.
        std::ptrdiff_t start = -1;
        while (start < 0) {
            if (p > lastStart) {
                *resume = -1;
                return n;
            }
            const Blocks::Block block = blocks.at(p);
            for (std::uint64_t m = fromBit(block.candidates, p - block.start); m; m &= m - 1) {
                const std::ptrdiff_t at = block.start + __builtin_ctzll(m);
                if (at > lastStart)
                    break;
                if (restMatches(t, data + at)) {
                    start = at;
                    break;
                }
            }
            p = block.start + 64;
        }
        // Its value: to the first delimiter, noting controls passed on the way.
        Value& value = out[n];
        value.begin = start + t.size;
        value.controls = false;
        std::ptrdiff_t v = value.begin;
        value.end = size;
        while (v < size) {
            const Blocks::Block block = blocks.at(v);
            const std::uint64_t m = fromBit(block.stops, v - block.start);
            if (m == 0) {
                v = block.start + 64;
                continue;
            }
            const std::ptrdiff_t at = block.start + __builtin_ctzll(m);
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

} // namespace byte_search
