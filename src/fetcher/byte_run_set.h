#pragma once

#include <QtGlobal>

#include <vector>

// A set of byte runs inside one buffer that outlives it, stored as offset and
// length: cheap to ask "seen these bytes before?" many thousand times.
class ByteRunSet {
public:
    // Room for about `expectedRuns` runs before the table has to grow.
    explicit ByteRunSet(const char* buffer, qsizetype expectedRuns = 0);

    // True when the run was new and is now held; false when already held.
    bool insert(qsizetype offset, qsizetype length);

private:
    struct Slot {
        qsizetype offset = 0;
        qsizetype length = -1; // -1: empty
        quint64 hash = 0;
    };
    quint64 hashOf(qsizetype offset, qsizetype length) const;
    void grow();

    const char* buffer_;
    std::vector<Slot> slots_;
    qsizetype used_ = 0;
};
