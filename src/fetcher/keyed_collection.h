#pragma once

#include <QByteArrayView>
#include <QSet>
#include <QString>
#include <QStringList>

// An ordered collection of texts, each stored under a text key. Keys are
// unique without regard to letter case (as QString::toCaseFolded sees it);
// adding under a key that is already present fails and changes nothing. Qt
// seeds its hash afresh in each process, so no page can make its keys collide.
class KeyedCollection {
public:
    // Returns false, changing nothing, when the key is already present.
    bool add(const QString& item, const QString& key);
    // add(text, text) for a text of Latin-1 bytes: a QString is made only for
    // a text that is not present yet.
    bool addLatin1(QByteArrayView text);
    bool containsKey(const QString& key) const;
    qsizetype count() const { return items_.size(); }
    // 0-based, in insertion order.
    QString item(qsizetype index) const { return items_.at(index); }
    QStringList items() const { return items_; }

private:
    bool insert(const QString& item, const QString& folded);

    QStringList items_;  // in insertion order
    QSet<QString> keys_; // folded
};
