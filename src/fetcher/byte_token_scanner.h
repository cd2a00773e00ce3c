#pragma once

#include "fetcher/byte_search_x86.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

// Case-insensitive search of one Latin-1 token through a page of Latin-1
// bytes, and of the first of a set of delimiter bytes after it. Both work on
// the raw bytes, a 64-byte block at a time where the CPU has vectors, so a
// page of megabytes is scanned at memory speed.
class ByteTokenScanner {
public:
    // How the bytes are searched: all paths give the same results; the
    // portable one runs everywhere, the vector ones where the CPU has them.
    enum class Path { Portable, Sse2, Avx2, Avx512 };
    static bool available(Path path);
    static Path fastestPath();

    // A token with characters outside Latin-1 matches nothing; an empty token
    // matches at every position. An empty delimiter set ends nothing.
    ByteTokenScanner(const QString& token, const QString& delimiters, Path path = fastestPath());
    ByteTokenScanner(const ByteTokenScanner&) = delete;
    ByteTokenScanner& operator=(const ByteTokenScanner&) = delete;

    using Value = byte_search::Value;
    // The values after the next tokens at or after `from`, at most `capacity`
    // of them: each runs from after its token to its delimiter (not
    // included) or to the page's end, and tells whether a byte from 9 to 13
    // (tab, line breaks, which a value drops) lies inside it. Each search for
    // a token resumes after the last delimiter. Returns how many were found;
    // `resume` is where to search on, or -1 when the page is done.
    int findValues(const char* data, qsizetype size, qsizetype from, Value* out, int capacity,
                   qsizetype* resume) const;
    qsizetype tokenSize() const { return folded_.size(); }

    // Latin-1 lower case of a byte; letters without a Latin-1 small form stay.
    static std::uint8_t fold(std::uint8_t byte);
    // The bit that tells the two cases of a folded byte apart: 0x20 for a
    // small letter that has a capital in Latin-1, else 0.
    static std::uint8_t caseBit(std::uint8_t folded);

private:
    enum : std::uint8_t { kDelimiter = 1, kControl = 2 };
    int findValuesPortable(const char* data, qsizetype size, qsizetype from, Value* out,
                           int capacity, qsizetype* resume) const;
    qsizetype findToken(const char* data, qsizetype size, qsizetype from) const;
    qsizetype findTokenPortable(const char* data, qsizetype size, qsizetype from) const;
    qsizetype findStop(const char* data, qsizetype size, qsizetype from, std::uint8_t kinds) const;
    bool matchesAt(const char* data, qsizetype at) const;

    QByteArray folded_;
    QByteArray caseBits_;
    bool matchable_ = true;
    qsizetype anchor_ = -1; // a token position whose byte has no other case
    std::uint8_t anchorByte_ = 0;
    std::array<std::uint8_t, 256> stop_{}; // kDelimiter and kControl bits per byte
    byte_search::ValueSearch search_;      // points into folded_ and caseBits_
    Path path_;
    bool bmi2_ = false; // the vector paths walk with BMI2 shifts where the CPU has them
};
