#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// An ordered collection of texts, each stored under a text key. Keys are
// unique without regard to letter case (as QString::toCaseFolded sees it);
// adding under a key that is already present fails and changes nothing.
class KeyedCollection {
public:
    // The hash of a folded key as stored. Without one given, a hash keyed
    // afresh in each process, so that no page can be made to collide.
    using KeyHash = quint64 (*)(const unsigned char* bytes, size_t size);
    explicit KeyedCollection(KeyHash hash = nullptr);

    // Returns false, changing nothing, when the key is already present.
    bool add(const QString& item, const QString& key);
    bool containsKey(const QString& key) const;
    // Room for this many elements in all, so that adding up to it does not
    // grow anything.
    void reserve(qsizetype total);
    qsizetype count() const { return items_.size(); }
    // 0-based, in insertion order.
    const QString& item(qsizetype index) const { return items_.at(index); }
    const QStringList& items() const { return items_; }

private:
    struct Slot {
        quint64 hash = 0;
        qsizetype entry = 0; // index + 1; 0: empty
    };
    // The slot holding the folded key, or the empty slot where it belongs.
    qsizetype findSlot(const unsigned char* folded, size_t size, quint64 hash) const;
    void rehash(qsizetype slotCount);

    KeyHash hash_;
    QStringList items_;
    // Folded keys back to back, in the form they are hashed in; key i ends
    // at keyEnds_[i].
    std::vector<unsigned char> keys_;
    std::vector<size_t> keyEnds_;
    std::vector<Slot> slots_; // open addressing, a power of two, at most half full
};
