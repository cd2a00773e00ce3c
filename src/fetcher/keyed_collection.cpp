#include "fetcher/keyed_collection.h"

#include "fetcher/latin1_case.h"

#include <QVarLengthArray>

bool KeyedCollection::insert(const QString& item, const QString& folded) {
    items_.append(item);
    // All or nothing: a key that cannot be stored takes its item back.
    try {
        keys_.insert(folded);
    } catch (...) {
        items_.removeLast();
        throw;
    }
    return true;
}

bool KeyedCollection::add(const QString& item, const QString& key) {
    const QString folded = key.toCaseFolded();
    return !keys_.contains(folded) && insert(item, folded);
}

bool KeyedCollection::addLatin1(QByteArrayView text) {
    QVarLengthArray<char16_t, 256> folded(text.size());
    bool unchanged = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        folded[i] = kLatin1Folded[byte];
        unchanged = unchanged && folded[i] == byte;
    }
    // Most values on a page are there already: looked up without a copy.
    const QString probe =
        QString::fromRawData(reinterpret_cast<const QChar*>(folded.constData()), folded.size());
    if (keys_.contains(probe))
        return false;
    const QString key(probe.constData(), probe.size());
    return insert(unchanged ? key : QString::fromLatin1(text), key);
}

bool KeyedCollection::containsKey(const QString& key) const {
    return keys_.contains(key.toCaseFolded());
}
