#include "fetcher/byte_token_scanner.h"

#include <QChar>
#include <QString>

#include <cstring>

namespace {

// Latin-1 small letters: A-Z and the accented capitals from 0xC0 to 0xDE,
// except the multiplication sign, lie 0x20 below their small forms.
constexpr std::array<std::uint8_t, 256> makeFoldTable() {
    std::array<std::uint8_t, 256> lower{};
    for (int b = 0; b < 256; ++b) {
        const bool capital = (b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7);
        lower[b] = static_cast<std::uint8_t>(capital ? b + 0x20 : b);
    }
    return lower;
}

constexpr std::array<std::uint8_t, 256> kLower = makeFoldTable();

// Bytes that fill ordinary markup; an anchor among them would stop the scan
// too often.
bool isCommonInMarkup(std::uint8_t byte) {
    return std::strchr(" \"'<>/.\n\r\t", byte) != nullptr;
}

bool isControl(int byte) {
    return byte >= 9 && byte <= 13;
}

byte_search::StopSet stopSetOf(const std::array<std::uint8_t, 256>& kinds, std::uint8_t wanted) {
    byte_search::StopSet set;
    bool allControls = true;
    for (int b = 9; b <= 13; ++b)
        allControls = allControls && (kinds[b] & wanted) != 0;
    set.controls = allControls;
    for (int b = 0; b < 256; ++b) {
        if ((kinds[b] & wanted) == 0)
            continue;
        unsigned char* table = b < 0x80 ? set.low : set.high;
        for (int copy = 0; copy < 64; copy += 16)
            table[copy + (b & 15)] |= static_cast<unsigned char>(1 << ((b >> 4) & 7));
        if (allControls && isControl(b))
            continue;
        if (set.count < 8)
            set.bytes[set.count++] = static_cast<unsigned char>(b);
        else
            set.fitsCompares = false;
    }
    return set;
}

} // namespace

std::uint8_t ByteTokenScanner::fold(std::uint8_t byte) {
    return kLower[byte];
}

std::uint8_t ByteTokenScanner::caseBit(std::uint8_t folded) {
    const bool letter =
        (folded >= 'a' && folded <= 'z') || (folded >= 0xE0 && folded <= 0xFE && folded != 0xF7);
    return letter ? 0x20 : 0;
}

bool ByteTokenScanner::available(Path path) {
#ifdef VIGILO_BYTE_SEARCH_X86
    static const bool avx2 = byte_search::cpuHasAvx2();
    static const bool avx512 = byte_search::cpuHasAvx512();
    return path == Path::Avx512 ? avx512 : path != Path::Avx2 || avx2;
#else
    return path == Path::Portable;
#endif
}

ByteTokenScanner::Path ByteTokenScanner::fastestPath() {
    if (available(Path::Avx512))
        return Path::Avx512;
    if (available(Path::Avx2))
        return Path::Avx2;
    return available(Path::Sse2) ? Path::Sse2 : Path::Portable;
}

ByteTokenScanner::ByteTokenScanner(const QString& token, const QString& delimiters, Path path)
    : path_(available(path) ? path : Path::Portable) {
    folded_.reserve(token.size());
    caseBits_.reserve(token.size());
    for (QChar c : token) {
        if (c.unicode() > 0xFF)
            matchable_ = false;
        const std::uint8_t folded = fold(static_cast<std::uint8_t>(c.unicode() & 0xFF));
        folded_.append(static_cast<char>(folded));
        caseBits_.append(static_cast<char>(caseBit(folded)));
    }
    for (QChar c : delimiters) {
        if (c.unicode() > 0xFF)
            continue; // no page byte can be it
        const std::uint8_t d = fold(static_cast<std::uint8_t>(c.unicode()));
        stop_[d] |= kDelimiter;
        stop_[d ^ caseBit(d)] |= kDelimiter;
    }
    for (int b = 9; b <= 13; ++b)
        stop_[b] |= kControl;
    search_.token = {reinterpret_cast<const unsigned char*>(folded_.constData()),
                     reinterpret_cast<const unsigned char*>(caseBits_.constData()), folded_.size()};
    search_.delimiters = stopSetOf(stop_, kDelimiter);
    search_.delimitersOrControls = stopSetOf(stop_, kDelimiter | kControl);
#ifdef VIGILO_BYTE_SEARCH_X86
    bmi2_ = (path_ == Path::Avx2 || path_ == Path::Avx512) && byte_search::cpuHasBmi2();
#endif
    if (path_ == Path::Sse2 &&
        !(search_.delimiters.fitsCompares && search_.delimitersOrControls.fitsCompares))
        path_ = Path::Portable; // SSE2 has no byte shuffle for a large set
    // The portable search finds an anchor with memchr; prefer a byte that is
    // rare in markup.
    for (int pass = 0; pass < 2 && anchor_ < 0; ++pass)
        for (qsizetype i = 0; i < folded_.size(); ++i) {
            const auto b = static_cast<std::uint8_t>(folded_[i]);
            if (caseBit(b) == 0 && (pass == 1 || !isCommonInMarkup(b))) {
                anchor_ = i;
                anchorByte_ = b;
                break;
            }
        }
}

bool ByteTokenScanner::matchesAt(const char* data, qsizetype at) const {
    const auto* page = reinterpret_cast<const std::uint8_t*>(data) + at;
    const auto* token = reinterpret_cast<const std::uint8_t*>(folded_.constData());
    for (qsizetype i = 0; i < folded_.size(); ++i)
        if (kLower[page[i]] != token[i])
            return false;
    return true;
}

int ByteTokenScanner::findValues(const char* data, qsizetype size, qsizetype from, Value* out,
                                 int capacity, qsizetype* resume) const {
    if (!matchable_ || from < 0 || from > size - folded_.size()) {
        *resume = -1;
        return 0;
    }
#ifdef VIGILO_BYTE_SEARCH_X86
    if (!folded_.isEmpty() && path_ != Path::Portable) {
        const auto* page = reinterpret_cast<const unsigned char*>(data);
        const byte_search::BlockMasks masks = path_ == Path::Avx512 ? byte_search::masksAvx512
                                              : path_ == Path::Avx2 ? byte_search::masksAvx2
                                                                    : byte_search::masksSse2;
        std::ptrdiff_t next = -1;
        const int count = (bmi2_ ? byte_search::walkValuesBmi2 : byte_search::walkValues)(
            page, from, size, search_, masks, out, capacity, &next);
        *resume = next;
        return count;
    }
#endif
    return findValuesPortable(data, size, from, out, capacity, resume);
}

int ByteTokenScanner::findValuesPortable(const char* data, qsizetype size, qsizetype from,
                                         Value* out, int capacity, qsizetype* resume) const {
    for (int n = 0; n < capacity; ++n) {
        const qsizetype start = findToken(data, size, from);
        if (start < 0) {
            *resume = -1;
            return n;
        }
        Value& value = out[n];
        value.begin = start + folded_.size();
        value.controls = false;
        value.end = findStop(data, size, value.begin, kDelimiter | kControl);
        if (value.end < size &&
            (stop_[static_cast<std::uint8_t>(data[value.end])] & kDelimiter) == 0) {
            value.controls = true;
            value.end = findStop(data, size, value.end + 1, kDelimiter);
        }
        if (value.end >= size) {
            *resume = -1;
            return n + 1;
        }
        from = value.end + 1;
    }
    *resume = from;
    return capacity;
}

qsizetype ByteTokenScanner::findToken(const char* data, qsizetype size, qsizetype from) const {
    if (folded_.isEmpty())
        return from < size ? from : -1;
    return findTokenPortable(data, size, from);
}

qsizetype ByteTokenScanner::findTokenPortable(const char* data, qsizetype size,
                                              qsizetype from) const {
    const qsizetype m = folded_.size();
    const qsizetype last = size - m; // the last possible start
    if (anchor_ >= 0) {
        qsizetype at = from + anchor_;
        while (at <= last + anchor_) {
            const void* hit =
                std::memchr(data + at, anchorByte_, static_cast<size_t>(last + anchor_ - at + 1));
            if (!hit)
                return -1;
            const qsizetype start = static_cast<const char*>(hit) - data - anchor_;
            if (matchesAt(data, start))
                return start;
            at = start + anchor_ + 1;
        }
        return -1;
    }
    const auto* page = reinterpret_cast<const std::uint8_t*>(data);
    const auto head = static_cast<std::uint8_t>(folded_[0]);
    for (qsizetype start = from; start <= last; ++start)
        if (kLower[page[start]] == head && matchesAt(data, start))
            return start;
    return -1;
}

qsizetype ByteTokenScanner::findStop(const char* data, qsizetype size, qsizetype from,
                                     std::uint8_t kinds) const {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data);
    qsizetype i = from;
    while (i < size && (stop_[bytes[i]] & kinds) == 0)
        ++i;
    return i;
}
