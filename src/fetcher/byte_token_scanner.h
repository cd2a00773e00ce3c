#pragma once

#include "fetcher/byte_search_x86.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

// Case-insensitive search of one Latin-1 token through a page of Latin-1
// bytes, and the search for the first of a set of delimiter bytes. Both work
// on the raw bytes with 256-entry tables, so a page of megabytes is scanned
// at memory speed.
class ByteTokenScanner {
public:
    // How the bytes are searched: all paths give the same results; the
    // portable one runs everywhere, the vector ones where the CPU has them.
    enum class Path { Portable, Sse2, Avx2 };
    static bool available(Path path);
    static Path fastestPath();

    // A token with characters outside Latin-1 matches nothing; an empty token
    // matches at every position. An empty delimiter set ends nothing.
    ByteTokenScanner(const QString& token, const QString& delimiters, Path path = fastestPath());

    // Index of the first match at or after `from`, or -1.
    qsizetype findToken(const char* data, qsizetype size, qsizetype from) const;
    // Index of the first delimiter at or after `from`, or `size`.
    qsizetype findDelimiter(const char* data, qsizetype size, qsizetype from) const;
    qsizetype tokenSize() const { return folded_.size(); }

    // Latin-1 lower case of a byte; letters without a Latin-1 small form stay.
    static std::uint8_t fold(std::uint8_t byte);

private:
    bool matchesAt(const char* data, qsizetype at) const;
    qsizetype findTokenPortable(const char* data, qsizetype size, qsizetype from) const;
    qsizetype findTokenVector(const char* data, qsizetype size, qsizetype from) const;
    qsizetype findDelimiterPortable(const char* data, qsizetype size, qsizetype from) const;

    QByteArray folded_;
    bool matchable_ = true;
    qsizetype anchor_ = -1; // a token position whose byte has no other case
    std::uint8_t anchorByte_ = 0;
    std::array<bool, 256> first_{}; // bytes that fold to the token's first byte
    std::array<bool, 256> delimiter_{};
    Path path_;
    byte_search::TokenEnds ends_{};
    byte_search::DelimiterBytes delimiterBytes_;
    bool fewDelimiters_ = false; // all in delimiterBytes_
};
