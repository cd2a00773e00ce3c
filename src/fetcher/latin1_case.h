#pragma once

#include <array>

// QString::toCaseFolded of each Latin-1 character: the capitals fold to their
// small letters, and the micro sign to the Greek small mu, the one fold that
// leaves Latin-1.
inline constexpr std::array<char16_t, 256> kLatin1Folded = [] {
    std::array<char16_t, 256> folded{};
    for (int c = 0; c < 256; ++c) {
        const bool capital = (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
        folded[c] = static_cast<char16_t>(capital ? c + 0x20 : c);
    }
    folded[0xB5] = u'\u03BC';
    return folded;
}();

// The other Latin-1 character that folds as each one does, or the character
// itself when none does: no Latin-1 fold joins more than two.
inline constexpr std::array<unsigned char, 256> kLatin1OtherCase = [] {
    std::array<unsigned char, 256> other{};
    for (int c = 0; c < 256; ++c) {
        other[c] = static_cast<unsigned char>(c);
        for (int d = 0; d < 256; ++d)
            if (d != c && kLatin1Folded[d] == kLatin1Folded[c])
                other[c] = static_cast<unsigned char>(d);
    }
    return other;
}();
