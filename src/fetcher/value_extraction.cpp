#include "fetcher/value_extraction.h"

#include "fetcher/fetcher_log.h"
#include "fetcher/latin1_case.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// Ends a value: the double quote, '>', '?' and '#'.
const QString kDefaultDelimiters = QStringLiteral("\">?#");

// A page of markup holds a link or a source every few hundred bytes, many of
// them the same; room for that many spares the set most of its growing.
qsizetype expectedValues(qsizetype pageSize) {
    return std::min<qsizetype>(pageSize / 256, qsizetype{1} << 13);
}

// What a byte after a token does to its value.
enum Stop : unsigned char { kTaken = 0, kEnds = 1, kDropped = 2 };
using Stops = std::array<Stop, 256>;

// A delimiter ends a value in either letter case; a tab or a line break that
// is no delimiter is dropped from it.
Stops stopsFor(const QString& delimiters) {
    Stops stops{};
    for (int c = 9; c <= 13; ++c)
        stops[c] = kDropped;
    for (QChar d : delimiters) {
        if (d.unicode() > 0xFF)
            continue; // no byte of the page can be it
        stops[d.unicode()] = kEnds;
        stops[kLatin1OtherCase[d.unicode()]] = kEnds;
    }
    return stops;
}

// Where the value from `begin` ends: at its delimiter or at the page's end.
// Notes whether a tab or a line break lies inside it.
qsizetype valueEnd(const char* page, qsizetype size, qsizetype begin, const Stops& stops,
                   bool& dropped) {
    auto stopAt = [&](qsizetype i) { return stops[static_cast<unsigned char>(page[i])]; };
    for (qsizetype end = begin;; ++end) {
        // Eight bytes at a time while none of them stops the value.
        for (; end + 8 <= size; end += 8) {
            unsigned any = 0;
            for (int k = 0; k < 8; ++k)
                any |= stopAt(end + k);
            if (any != 0)
                break;
        }
        while (end < size && stopAt(end) == kTaken)
            ++end;
        if (end == size || stopAt(end) == kEnds)
            return end;
        dropped = true;
    }
}

// A token found in the page's bytes in any letter case.
class TokenSearch {
public:
    explicit TokenSearch(const QString& token) : size_(token.size()) {
        for (QChar c : token) {
            if (c.unicode() > 0xFF) {
                matchable_ = false; // no run of Latin-1 bytes can be it
                return;
            }
            bytes_.append(static_cast<char>(c.unicode()));
            otherCase_.append(static_cast<char>(kLatin1OtherCase[c.unicode()]));
        }
        // Candidates come from memchr on a byte without another letter case,
        // best one that ordinary markup holds rarely ('=' of an attribute).
        for (bool rareOnly : {true, false})
            for (qsizetype i = 0; i < size_ && anchor_ < 0; ++i)
                if (bytes_[i] == otherCase_[i] &&
                    (!rareOnly || !std::strchr(" \"'<>/.\t\n\r", bytes_[i])))
                    anchor_ = i;
    }

    qsizetype size() const { return size_; }

    // Where the token next starts at or after `from`, or -1.
    qsizetype find(const char* page, qsizetype pageSize, qsizetype from) const {
        const qsizetype last = pageSize - size_;
        if (!matchable_ || from > last)
            return -1;
        if (anchor_ < 0) {
            for (qsizetype at = from; at <= last; ++at)
                if (matchesAt(page + at))
                    return at;
            return -1;
        }
        for (qsizetype at = from; at <= last; ++at) {
            const void* hit =
                std::memchr(page + at + anchor_, bytes_[anchor_], size_t(last - at + 1));
            if (!hit)
                return -1;
            at = static_cast<const char*>(hit) - page - anchor_;
            if (matchesAt(page + at))
                return at;
        }
        return -1;
    }

private:
    bool matchesAt(const char* at) const {
        for (qsizetype i = 0; i < size_; ++i)
            if (at[i] != bytes_[i] && at[i] != otherCase_[i])
                return false;
        return true;
    }

    qsizetype size_;
    QByteArray bytes_;     // the token's characters as bytes
    QByteArray otherCase_; // each in its other letter case, if it has one
    bool matchable_ = true;
    qsizetype anchor_ = -1;
};

} // namespace

struct ValueExtraction::Search {
    TokenSearch token;
    Stops stops;
};

ValueExtraction::ValueExtraction(const QByteArray& page, const QString& token,
                                 const std::optional<QString>& delimiters, KeyedCollection& items)
    : page_(page),
      search_(std::make_unique<const Search>(Search{
          TokenSearch(token),
          stopsFor(delimiters && !delimiters->isEmpty() ? *delimiters : kDefaultDelimiters)})),
      items_(items), scans_(page.size() > token.size()) {
    if (!scans_)
        return;
    try {
        items_.reserve(items_.count() + expectedValues(page_.size()));
    } catch (...) {
        // Without the room the adds still work, growing as they go.
        qCInfo(lcFetcher).noquote() << "No room set aside for the values of a page of"
                                    << page_.size() << "bytes; they are added all the same.";
    }
}

ValueExtraction::~ValueExtraction() = default;

bool ValueExtraction::advance(qsizetype bytes) {
    if (!scans_)
        return true;
    const TokenSearch& token = search_->token;
    const char* data = page_.constData();
    const qsizetype size = page_.size();
    const qsizetype until = bytes >= size - from_ ? size : from_ + bytes;
    for (qsizetype at = token.find(data, size, from_); at >= 0;) {
        const qsizetype begin = at + token.size();
        bool dropped = false;
        const qsizetype end = valueEnd(data, size, begin, search_->stops, dropped);
        try {
            const QByteArrayView value(data + begin, end - begin);
            const QByteArray stripped = dropped ? withoutControlChars(value) : QByteArray();
            const QByteArrayView item = dropped ? QByteArrayView(stripped) : value;
            if (!item.isEmpty())
                items_.addLatin1(item);
        } catch (...) {
            // One value that cannot be taken does not end the scan.
            qCWarning(lcFetcher).noquote()
                << "A value of" << end - begin << "bytes could not be kept; the scan goes on.";
        }
        // The search resumes after the delimiter, never inside the value.
        if (end >= size)
            break;
        from_ = end + 1;
        if (from_ >= until)
            return false;
        at = token.find(data, size, from_);
    }
    from_ = size;
    return true;
}

QByteArray withoutControlChars(QByteArrayView text) {
    QByteArray result;
    result.reserve(text.size());
    for (char c : text)
        if (c < 9 || c > 13)
            result.append(c);
    return result;
}
