#include "fetcher/keyed_collection.h"

bool KeyedCollection::add(const QString& item, const QString& key) {
    QString folded = key.toCaseFolded();
    if (indexByFoldedKey_.contains(folded))
        return false;
    indexByFoldedKey_.insert(folded, items_.size());
    items_.append(item);
    return true;
}

bool KeyedCollection::containsKey(const QString& key) const {
    return indexByFoldedKey_.contains(key.toCaseFolded());
}
