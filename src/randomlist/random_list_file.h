#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <stdexcept>
#include <string>
#include <utility>

// The random URL list as it lives between runs: "vigilo.cfg", one Latin-1
// entry per line, in the folder RandomListPlace chooses.

// The list controls count their items in 16 bits, so no more can be held.
inline constexpr qsizetype kMaxRandomListEntries = 32767;

// Where the entries that were not loaded begin in the list file, and a digest
// of every byte before them, by which a save tells that the file still is the
// one they were read from.
struct UnloadedEntries {
    qint64 offset = -1; // -1: the file held nothing past the entries loaded
    QByteArray headDigest;

    bool exist() const { return offset >= 0; }
};

struct RandomListContents {
    QStringList entries;
    UnloadedEntries unloaded;
};

// A save that failed. reason() tells the user, in plain words, which entry
// cannot be stored or why the file is left alone; it is empty when the disk
// or the folder failed, for which the fixed prompt says enough.
class SaveRandomListError : public std::runtime_error {
public:
    explicit SaveRandomListError(const std::string& detail, QString reason = QString())
        : std::runtime_error(detail), reason_(std::move(reason)) {}
    const QString& reason() const { return reason_; }

private:
    QString reason_;
};

// vigilo.cfg in the given folder.
QString randomListPath(const QString& folder);

// A line ends at CR LF or at a lone CR; a lone LF belongs to the entry. Reads
// at most `limit` entries and notes where the rest of the file begins. A
// missing or unreadable file gives the entries read before the failure,
// possibly none; never throws.
RandomListContents readRandomListFile(const QString& path, qsizetype limit = kMaxRandomListEntries);

// The text under which an entry goes into the file: the entry itself when
// every character is Latin-1; otherwise its ASCII form as an address (the
// host in punycode, the rest percent-encoded), as long as that form leads to
// the same address. Throws SaveRandomListError, naming the entry by its
// 1-based `number`, for an entry with no such form or with a CR, which would
// split it on reading.
QString storedForm(const QString& entry, qsizetype number);

// Writes the entries, each in its stored form followed by CR LF, in place of
// those loaded from the file; the entries the file holds past them
// (`unloaded`) follow, byte for byte, and `unloaded` is moved to where they
// now begin. The new content goes to a temporary file that replaces the old
// one only once complete, so a failure leaves the previous file untouched.
// Refuses, before anything is written, an entry without a stored form, and a
// file with unloaded entries that no longer begins as it did (changed by
// another program), since those entries could no longer be told apart.
// Returns the entries as stored. Throws SaveRandomListError.
QStringList SaveRandomList(const QString& path, const QStringList& entries,
                           UnloadedEntries& unloaded);
