#pragma once

#include "fetcher/folded_key.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

// An ordered collection of texts, each stored under a text key. Keys are
// unique without regard to letter case (as QString::toCaseFolded sees it);
// adding under a key that is already present fails and changes nothing.
//
// Keys and texts live back to back in one block, one byte per character
// where they fit in Latin-1; a QString is made only when an element is read.
class KeyedCollection {
public:
    // The hash of a folded key as stored. Without one given, a hash keyed
    // afresh in each process, so that no page can be made to collide.
    using KeyHash = quint64 (*)(const unsigned char* bytes, size_t size);
    explicit KeyedCollection(KeyHash hash = nullptr);

    // Returns false, changing nothing, when the key is already present.
    bool add(const QString& item, const QString& key);
    // add(text, text) for a Latin-1 text, without making a QString of it.
    bool addLatin1(const char* text, qsizetype size);
    // The same, in two steps: the hashes of a run of texts taken together,
    // which is quicker than one by one, then each text added with its own.
    void prepareLatin1(const unsigned char* const* texts, const size_t* sizes, int count,
                       FoldedAsciiHash* out) const;
    bool addLatin1(const char* text, qsizetype size, const FoldedAsciiHash& prepared) {
        // Nearly every value: ASCII that folding leaves as it is.
        if (prepared.ascii && !prepared.changed)
            return insert(reinterpret_cast<const unsigned char*>(text), static_cast<size_t>(size),
                          false, prepared.hash, ItemForm::Key, nullptr, 0,
                          static_cast<size_t>(size));
        return addFoldedLatin1(text, size, prepared);
    }
    // Fetches into the cache the index entry a prepared text would probe first.
    void prefetch(const FoldedAsciiHash& prepared) const {
        if (!slots_.empty())
            __builtin_prefetch(&slots_[prepared.hash & (slots_.size() - 1)]);
    }
    bool containsKey(const QString& key) const;
    // Room for this many elements in all, so that adding up to it does not
    // grow the index.
    void reserve(qsizetype total);
    qsizetype count() const { return static_cast<qsizetype>(entries_.size()); }
    // 0-based, in insertion order.
    QString item(qsizetype index) const;
    QStringList items() const;

private:
    enum class ItemForm : unsigned char {
        Key,    // the key's own bytes (a narrow key that folding left alone)
        Latin1, // one byte per character after the key
        Utf16,  // two bytes per character after the key
    };
    // In text_, each key is its size in bytes and width (a 32-bit word:
    // size << 1 | wide), then its folded bytes, then its item's text unless
    // the form is Key. Offsets into text_ fit 32 bits.
    struct Entry {
        std::uint32_t at; // of the key's size word
        std::uint32_t keySize;
        size_t itemSize; // in characters
        quint64 hash;
        ItemForm form;
    };
    // Eight bytes, so that the index of a large page stays in the cache.
    struct Slot {
        std::uint32_t tag = 0; // the hash's high half
        std::uint32_t at = 0;  // the key's size word + 1; 0: empty
    };
    struct Probe {
        size_t slot;
        bool found;
    };
    Probe find(const unsigned char* folded, size_t size, bool wide, quint64 hash) const;
    bool addFoldedLatin1(const char* text, qsizetype size, const FoldedAsciiHash& prepared);
    bool insert(const unsigned char* folded, size_t size, bool wide, quint64 hash, ItemForm form,
                const void* item, size_t itemBytes, size_t itemSize);
    void rehash(size_t slotCount);

    KeyHash hash_;
    // Bytes that growing leaves as they are: each is written right after.
    template <typename T> struct Uninitialized : std::allocator<T> {
        template <typename U> struct rebind { using other = Uninitialized<U>; };
        template <typename U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
        template <typename U, typename... Args> void construct(U* p, Args&&... args) {
            ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
        }
    };
    std::vector<unsigned char, Uninitialized<unsigned char>> text_; // each key, then its item
    std::vector<Entry> entries_;                                    // in insertion order
    std::vector<Slot> slots_; // open addressing, a power of two, at most half full
};
