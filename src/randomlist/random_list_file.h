#pragma once

#include <QString>
#include <QStringList>

// The random URL list as it lives between runs: "vigilo.cfg" beside the
// program, one Latin-1 entry per line.

// The list controls count their items in 16 bits, so no more can be held.
inline constexpr qsizetype kMaxRandomListEntries = 32767;

QString randomListPath(const QString& programFolder);

// A line ends at CR LF or at a lone CR; a lone LF belongs to the entry. Reads
// at most kMaxRandomListEntries entries. A missing or unreadable file gives
// the entries read before the failure, possibly none; never throws.
QStringList readRandomList(const QString& path);

// Replaces the file with the entries, each followed by CR LF. The new content
// goes to a temporary file that replaces the old one only once complete, so a
// failure leaves the previous file untouched. Throws std::runtime_error,
// before anything is written, for an entry that the file cannot hold (a
// character beyond Latin-1, or a CR, which would split it on reading), and
// for any failure to write.
void SaveRandomList(const QString& path, const QStringList& entries);
