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

bool hasOtherCase(std::uint8_t byte) {
    for (int b = 0; b < 256; ++b)
        if (b != byte &&
            ByteTokenScanner::fold(static_cast<std::uint8_t>(b)) == ByteTokenScanner::fold(byte))
            return true;
    return false;
}

// Bytes that fill ordinary markup; an anchor among them would stop the scan
// too often.
bool isCommonInMarkup(std::uint8_t byte) {
    return std::strchr(" \"'<>/.\n\r\t", byte) != nullptr;
}

} // namespace

std::uint8_t ByteTokenScanner::fold(std::uint8_t byte) {
    return kLower[byte];
}

bool ByteTokenScanner::available(Path path) {
#ifdef VIGILO_BYTE_SEARCH_X86
    static const bool avx2 = byte_search::cpuHasAvx2();
    return path != Path::Avx2 || avx2;
#else
    return path == Path::Portable;
#endif
}

ByteTokenScanner::Path ByteTokenScanner::fastestPath() {
    if (available(Path::Avx2))
        return Path::Avx2;
    return available(Path::Sse2) ? Path::Sse2 : Path::Portable;
}

ByteTokenScanner::ByteTokenScanner(const QString& token, const QString& delimiters, Path path)
    : path_(available(path) ? path : Path::Portable) {
    for (QChar c : token) {
        if (c.unicode() > 0xFF)
            matchable_ = false;
        folded_.append(static_cast<char>(fold(static_cast<std::uint8_t>(c.unicode() & 0xFF))));
    }
    for (QChar c : delimiters) {
        if (c.unicode() > 0xFF)
            continue; // no page byte can be it
        const std::uint8_t d = fold(static_cast<std::uint8_t>(c.unicode()));
        for (int b = 0; b < 256; ++b)
            if (fold(static_cast<std::uint8_t>(b)) == d)
                delimiter_[b] = true;
    }
    int delimiterCount = 0;
    for (int b = 0; b < 256; ++b) {
        if (!delimiter_[b])
            continue;
        if (delimiterCount < 8)
            delimiterBytes_.bytes[delimiterCount] = static_cast<unsigned char>(b);
        ++delimiterCount;
    }
    fewDelimiters_ = delimiterCount <= 8;
    delimiterBytes_.count = fewDelimiters_ ? delimiterCount : 0;
    if (folded_.isEmpty())
        return;
    // Each end byte in both letter cases.
    auto otherCase = [](std::uint8_t folded) {
        for (int b = 0; b < 256; ++b)
            if (b != folded && fold(static_cast<std::uint8_t>(b)) == folded)
                return static_cast<unsigned char>(b);
        return static_cast<unsigned char>(folded);
    };
    const auto first = static_cast<std::uint8_t>(folded_.front());
    const auto last = static_cast<std::uint8_t>(folded_.back());
    ends_ = {{first, otherCase(first)}, {last, otherCase(last)}, folded_.size() - 1};
    const std::uint8_t head = static_cast<std::uint8_t>(folded_[0]);
    for (int b = 0; b < 256; ++b)
        first_[b] = fold(static_cast<std::uint8_t>(b)) == head;
    // The anchor is found with memchr; prefer a byte that is rare in markup.
    for (int pass = 0; pass < 2 && anchor_ < 0; ++pass)
        for (qsizetype i = 0; i < folded_.size(); ++i) {
            const auto b = static_cast<std::uint8_t>(folded_[i]);
            if (!hasOtherCase(b) && (pass == 1 || !isCommonInMarkup(b))) {
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

qsizetype ByteTokenScanner::findToken(const char* data, qsizetype size, qsizetype from) const {
    if (!matchable_ || from < 0)
        return -1;
    if (folded_.isEmpty())
        return from < size ? from : -1;
    if (path_ == Path::Portable)
        return findTokenPortable(data, size, from);
    return findTokenVector(data, size, from);
}

// Candidates whose first and last bytes fit, each then checked whole.
qsizetype ByteTokenScanner::findTokenVector(const char* data, qsizetype size,
                                            qsizetype from) const {
#ifdef VIGILO_BYTE_SEARCH_X86
    const auto* page = reinterpret_cast<const unsigned char*>(data);
    const qsizetype lastStart = size - folded_.size();
    const auto candidate =
        path_ == Path::Avx2 ? byte_search::tokenCandidateAvx2 : byte_search::tokenCandidateSse2;
    for (qsizetype at = from; at <= lastStart;) {
        const qsizetype start = candidate(page, at, lastStart, ends_);
        if (start < 0 || matchesAt(data, start))
            return start;
        at = start + 1;
    }
    return -1;
#else
    return findTokenPortable(data, size, from);
#endif
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
    for (qsizetype start = from; start <= last; ++start)
        if (first_[page[start]] && matchesAt(data, start))
            return start;
    return -1;
}

qsizetype ByteTokenScanner::findDelimiter(const char* data, qsizetype size, qsizetype from) const {
#ifdef VIGILO_BYTE_SEARCH_X86
    if (path_ != Path::Portable && fewDelimiters_ && from < size) {
        const auto* page = reinterpret_cast<const unsigned char*>(data);
        return path_ == Path::Avx2 ? byte_search::delimiterAvx2(page, from, size, delimiterBytes_)
                                   : byte_search::delimiterSse2(page, from, size, delimiterBytes_);
    }
#endif
    return findDelimiterPortable(data, size, from);
}

qsizetype ByteTokenScanner::findDelimiterPortable(const char* data, qsizetype size,
                                                  qsizetype from) const {
    const auto* page = reinterpret_cast<const std::uint8_t*>(data);
    qsizetype i = from;
    while (i < size && !delimiter_[page[i]])
        ++i;
    return i;
}
