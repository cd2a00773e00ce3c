#include "fetcher/byte_run_set.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr size_t kMinSlots = 1024;
constexpr size_t kMaxInitialSlots = 64 * 1024;

} // namespace

ByteRunSet::ByteRunSet(const char* buffer, qsizetype expectedRuns) : buffer_(buffer) {
    const size_t wanted =
        std::bit_ceil(static_cast<size_t>(std::max<qsizetype>(expectedRuns, 0)) * 2);
    slots_.resize(std::clamp(wanted, kMinSlots, kMaxInitialSlots));
}

// Eight bytes per step: values are short, but there are many of them.
quint64 ByteRunSet::hashOf(qsizetype offset, qsizetype length) const {
    const char* p = buffer_ + offset;
    quint64 h = 0x9E3779B97F4A7C15ull ^ static_cast<quint64>(length);
    qsizetype i = 0;
    for (; i + 8 <= length; i += 8) {
        quint64 word;
        std::memcpy(&word, p + i, 8);
        h = (h ^ word) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 32;
    }
    quint64 tail = 0;
    std::memcpy(&tail, p + i, static_cast<size_t>(length - i));
    h = (h ^ tail) * 0xC4CEB9FE1A85EC53ull;
    return h ^ (h >> 29);
}

bool ByteRunSet::insert(qsizetype offset, qsizetype length) {
    if ((used_ + 1) * 2 > static_cast<qsizetype>(slots_.size()))
        grow();
    const quint64 hash = hashOf(offset, length);
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        Slot& slot = slots_[i];
        if (slot.length < 0) {
            slot = {offset, length, hash};
            ++used_;
            return true;
        }
        if (slot.hash == hash && slot.length == length &&
            std::memcmp(buffer_ + slot.offset, buffer_ + offset, static_cast<size_t>(length)) == 0)
            return false;
    }
}

void ByteRunSet::grow() {
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    const size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
        if (slot.length < 0)
            continue;
        size_t i = slot.hash & mask;
        while (slots_[i].length >= 0)
            i = (i + 1) & mask;
        slots_[i] = slot;
    }
}
