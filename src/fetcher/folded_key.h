#pragma once

#include <QString>

#include <array>
#include <cstddef>
#include <vector>

// A key folded as QString::toCaseFolded folds it, in the form it is stored,
// hashed and compared in: one byte per character when every folded character
// is in Latin-1 (nearly every key), else two. The form depends on the folded
// text alone, so equal folded keys give equal forms of the same width.
class FoldedKey {
public:
    explicit FoldedKey(const QString& key);
    FoldedKey(const FoldedKey&) = delete; // data_ may point into local_
    FoldedKey& operator=(const FoldedKey&) = delete;
    const unsigned char* data() const { return data_; }
    size_t size() const { return size_; }
    bool wide() const { return wide_; }

private:
    unsigned char* resize(size_t size);
    void storeWide(const QString& folded);

    std::array<unsigned char, 512> local_;
    std::vector<unsigned char> heap_;
    unsigned char* data_ = nullptr;
    size_t size_ = 0;
    bool wide_ = false;
};

// The narrow form of a Latin-1 text, eight bytes at a time where they are
// ASCII: `text` itself when folding changes nothing, else `out` (room for
// `size` bytes) holding it; nullptr when a character folds out of Latin-1
// (the micro sign), which only FoldedKey can fold.
const unsigned char* foldLatin1(const unsigned char* text, size_t size, unsigned char* out);

// keyedHash of the narrow form of a text of ASCII bytes, folded a word at a
// time as it is hashed, and whether folding changes it; false when a byte
// from 0x80 on lies in it, which only foldLatin1 folds.
bool keyedHashOfFoldedAscii(const unsigned char* text, size_t size, quint64& hash, bool& changed);

// keyedHashOfFoldedAscii of `count` texts at once: for each, whether it is all
// ASCII (`ascii`), then its hash and whether folding changed it. Where the CPU
// has AVX-512, eight texts' SipHash rounds run side by side in one vector.
struct FoldedAsciiHash {
    quint64 hash = 0;
    bool ascii = false;
    bool changed = false;
};
void keyedHashesOfFoldedAscii(const unsigned char* const* texts, const size_t* sizes, int count,
                              FoldedAsciiHash* out);
