#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// An ordered collection of texts, each stored under a text key. Keys are
// unique without regard to letter case; adding under a key that is already
// present fails and changes nothing.
class KeyedCollection {
public:
    // Returns false, changing nothing, when the key is already present.
    bool add(const QString& item, const QString& key);
    bool containsKey(const QString& key) const;
    qsizetype count() const { return items_.size(); }
    // 0-based, in insertion order.
    const QString& item(qsizetype index) const { return items_.at(index); }
    const QStringList& items() const { return items_; }

private:
    QStringList items_;
    QHash<QString, qsizetype> indexByFoldedKey_; // folded key -> index + 1
};
