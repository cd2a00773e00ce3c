#include "fetcher/keyed_collection.h"

#include "fetcher/latin1_case.h"

#include <QVarLengthArray>

#include <cstring>

namespace {

// Qt's hash of integers, seeded afresh in each process, chained over the text
// four characters at a time: a page cannot pick values that collide. Qt's own
// string hash would do as well, but on CPUs with VAES Qt 6.4 leaves it with
// the upper vector registers in use, which makes the code after it several
// times slower.
size_t hashOf(QStringView text) {
    static const size_t seed = QHashSeed::globalSeed();
    const char16_t* chars = text.utf16();
    const qsizetype size = text.size();
    size_t hash = qHash(quint64(size), seed);
    qsizetype i = 0;
    for (; i + 4 <= size; i += 4) {
        quint64 word;
        std::memcpy(&word, chars + i, sizeof word);
        hash = qHash(word ^ hash, seed);
    }
    quint64 last = 0;
    if (i < size)
        std::memcpy(&last, chars + i, size_t(size - i) * sizeof(char16_t));
    return qHash(last ^ hash, seed);
}

} // namespace

KeyedCollection::Key KeyedCollection::keyOf(const QString& folded) {
    return {folded, hashOf(folded)};
}

bool KeyedCollection::insert(const QString& item, const Key& key) {
    items_.append(item);
    // All or nothing: a key that cannot be stored takes its item back.
    try {
        keys_.insert(key);
    } catch (...) {
        items_.removeLast();
        throw;
    }
    return true;
}

bool KeyedCollection::add(const QString& item, const QString& key) {
    const Key folded = keyOf(key.toCaseFolded());
    return !keys_.contains(folded) && insert(item, folded);
}

bool KeyedCollection::addLatin1(QByteArrayView text) {
    QVarLengthArray<char16_t, 256> folded(text.size());
    bool unchanged = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        folded[i] = kLatin1Folded[byte];
        unchanged &= folded[i] == byte;
    }
    // Most values on a page are there already: looked up without a copy.
    Key key = keyOf(
        QString::fromRawData(reinterpret_cast<const QChar*>(folded.constData()), folded.size()));
    if (keys_.contains(key))
        return false;
    key.folded = QString(key.folded.constData(), key.folded.size());
    return insert(unchanged ? key.folded : QString::fromLatin1(text), key);
}

bool KeyedCollection::containsKey(const QString& key) const {
    return keys_.contains(keyOf(key.toCaseFolded()));
}
