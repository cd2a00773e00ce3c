#pragma once

#include <QByteArrayView>
#include <QSet>
#include <QString>
#include <QStringList>

// An ordered collection of texts, each stored under a text key. Keys are
// unique without regard to letter case (as QString::toCaseFolded sees it);
// adding under a key that is already present fails and changes nothing.
class KeyedCollection {
public:
    // Returns false, changing nothing, when the key is already present.
    bool add(const QString& item, const QString& key);
    // add(text, text) for a text of Latin-1 bytes: a QString is made only for
    // a text that is not present yet.
    bool addLatin1(QByteArrayView text);
    bool containsKey(const QString& key) const;
    // Room for this many keys in all, so that adding up to it does not grow
    // the set.
    void reserve(qsizetype total) { keys_.reserve(total); }
    qsizetype count() const { return items_.size(); }
    // 0-based, in insertion order.
    QString item(qsizetype index) const { return items_.at(index); }
    QStringList items() const { return items_; }

private:
    // A folded key and its hash, taken once: the set compares and rehashes by
    // the number and reads a key's text only where two numbers agree.
    struct Key {
        QString folded;
        size_t hash;
        friend bool operator==(const Key& a, const Key& b) {
            return a.hash == b.hash && a.folded == b.folded;
        }
        friend size_t qHash(const Key& key, size_t) { return key.hash; }
    };
    static Key keyOf(const QString& folded);
    bool insert(const QString& item, const Key& key);

    QStringList items_; // in insertion order
    QSet<Key> keys_;
};
