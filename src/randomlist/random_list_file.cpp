#include "randomlist/random_list_file.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <stdexcept>
#include <string>

namespace {

constexpr char kFileName[] = "vigilo.cfg";
constexpr qint64 kChunkSize = 64 * 1024;

// Splits the bytes into lines as they arrive, so a read that fails midway
// keeps the lines already complete.
class LineSplitter {
public:
    explicit LineSplitter(QStringList& out) : out_(out) {}

    bool full() const { return out_.size() >= kMaxRandomListEntries; }

    void feed(const char* data, qint64 size) {
        for (qint64 i = 0; i < size && !full(); ++i) {
            const char c = data[i];
            if (c == '\r') {
                emitLine();
                afterCr_ = true;
            } else if (c == '\n' && afterCr_) {
                afterCr_ = false; // the LF of a CR LF pair
            } else {
                afterCr_ = false;
                line_.append(c);
            }
        }
    }

    // The last line needs no terminator; a terminator at the very end adds
    // no empty entry, because nothing has been collected after it.
    void finish() {
        if (!line_.isEmpty() && !full())
            emitLine();
    }

private:
    void emitLine() {
        out_.append(QString::fromLatin1(line_));
        line_.clear();
    }

    QStringList& out_;
    QByteArray line_;
    bool afterCr_ = false;
};

QByteArray encodeEntries(const QStringList& entries) {
    QByteArray bytes;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString& entry = entries.at(i);
        for (QChar ch : entry) {
            if (ch.unicode() > 0xFF)
                throw std::runtime_error("entry " + std::to_string(i + 1) +
                                         " holds a character the list file cannot store");
            if (ch == QLatin1Char('\r'))
                throw std::runtime_error("entry " + std::to_string(i + 1) +
                                         " holds a line break and would not read back whole");
        }
        bytes.append(entry.toLatin1());
        bytes.append("\r\n");
    }
    return bytes;
}

[[noreturn]] void fail(const QString& path, const QString& reason) {
    throw std::runtime_error(QStringLiteral("Cannot save %1: %2")
                                 .arg(QDir::toNativeSeparators(path), reason)
                                 .toStdString());
}

} // namespace

QString randomListPath(const QString& programFolder) {
    // The program may sit in a root folder, whose path already ends with one.
    if (programFolder.endsWith(QLatin1Char('/')) || programFolder.endsWith(QDir::separator()))
        return programFolder + QLatin1String(kFileName);
    return programFolder + QDir::separator() + QLatin1String(kFileName);
}

QStringList readRandomList(const QString& path) {
    QStringList entries;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    LineSplitter splitter(entries);
    QByteArray chunk(kChunkSize, Qt::Uninitialized);
    for (;;) {
        const qint64 n = file.read(chunk.data(), kChunkSize);
        if (n < 0)
            return entries; // a failed read ends the list where it got to
        if (n == 0)
            break;
        splitter.feed(chunk.constData(), n);
        if (splitter.full())
            return entries;
    }
    splitter.finish();
    return entries;
}

void SaveRandomList(const QString& path, const QStringList& entries) {
    const QByteArray bytes = encodeEntries(entries);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail(path, file.errorString());
    // Flushed here and checked: commit() alone reports success even when its
    // final flush stopped short (a full disk), which would put a truncated
    // list in place of the old one.
    if (file.write(bytes) != bytes.size() || !file.flush() || file.bytesToWrite() != 0) {
        const QString reason = file.errorString();
        file.cancelWriting();
        fail(path, reason);
    }
    if (!file.commit())
        fail(path, file.errorString());
}
