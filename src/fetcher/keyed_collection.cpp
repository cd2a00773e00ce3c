#include "fetcher/keyed_collection.h"

bool KeyedCollection::add(const QString& item, const QString& key) {
    // One lookup: a new slot holds 0, a taken one its index plus one.
    qsizetype& slot = indexByFoldedKey_[key.toCaseFolded()];
    if (slot != 0)
        return false;
    slot = items_.size() + 1;
    items_.append(item);
    return true;
}

bool KeyedCollection::containsKey(const QString& key) const {
    return indexByFoldedKey_.contains(key.toCaseFolded());
}
