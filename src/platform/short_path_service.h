#pragma once

#include <QByteArray>

#include <cstdint>

// Turns a long path into its short form. On success the short path and a NUL
// are written at the start of `buffer` (which holds `length` bytes); on failure
// nothing is written. Returns the length written, 0 on failure.
class ShortPathService {
public:
    virtual ~ShortPathService() = default;
    virtual std::uint32_t GetShortPathName(const QByteArray& longPath, char* buffer,
                                           std::uint32_t length) = 0;
};
