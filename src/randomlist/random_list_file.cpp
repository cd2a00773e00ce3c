#include "randomlist/random_list_file.h"

#include "randomlist/randomlist_log.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cstring>

namespace {

constexpr char kFileName[] = "vigilo.cfg";
constexpr qint64 kChunkSize = 64 * 1024;

// Splits the bytes into lines as they arrive, so a read that fails midway
// keeps the lines already complete, and notes where the last line taken
// ends, its terminator included.
class LineSplitter {
public:
    LineSplitter(QStringList& out, qsizetype limit) : out_(out), limit_(limit) {}

    // Returns false once no further byte is wanted.
    bool feed(const char* data, qint64 size) {
        qint64 i = 0;
        if (afterCr_ && size > 0) {
            afterCr_ = false;
            if (data[0] == '\n') { // the LF of a CR LF pair
                i = 1;
                end_ = start_ + 1;
            }
        }
        while (i < size && !full()) {
            const void* cr = std::memchr(data + i, '\r', static_cast<size_t>(size - i));
            if (!cr) {
                line_.append(data + i, size - i);
                i = size;
                break;
            }
            const qint64 at = static_cast<const char*>(cr) - data;
            line_.append(data + i, at - i);
            emitLine();
            i = at + 1;
            if (i == size)
                afterCr_ = true; // an LF may follow in the next piece
            else if (data[i] == '\n')
                ++i;
            end_ = start_ + i;
        }
        start_ += size;
        return !full() || afterCr_;
    }

    // The last line needs no terminator; a terminator at the very end adds
    // no empty entry, because nothing has been collected after it.
    void finish() {
        if (!line_.isEmpty() && !full()) {
            emitLine();
            end_ = start_;
        }
    }

    // Where the bytes past the last line taken begin.
    qint64 end() const { return end_; }

private:
    bool full() const { return out_.size() >= limit_; }

    void emitLine() {
        out_.append(QString::fromLatin1(line_));
        line_.clear();
    }

    QStringList& out_;
    const qsizetype limit_;
    QByteArray line_;
    bool afterCr_ = false;
    qint64 start_ = 0; // offset of the piece being fed
    qint64 end_ = 0;
};

// The digest of the file's first `length` bytes, read from the start; empty
// when they cannot all be read.
QByteArray digestOfHead(QFile& file, qint64 length) {
    if (!file.seek(0))
        return QByteArray();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray chunk(kChunkSize, Qt::Uninitialized);
    for (qint64 left = length; left > 0;) {
        const qint64 n = file.read(chunk.data(), std::min(left, kChunkSize));
        if (n <= 0)
            return QByteArray();
        hash.addData(QByteArrayView(chunk.constData(), n));
        left -= n;
    }
    return hash.result();
}

[[noreturn]] void fail(const QString& path, const QString& detail, const QString& reason = {}) {
    throw SaveRandomListError(QStringLiteral("Cannot save %1: %2")
                                  .arg(QDir::toNativeSeparators(path), detail)
                                  .toStdString(),
                              reason);
}

// Opens the current file at the first unloaded entry, once sure that the
// bytes before it are the ones the unloaded entries were found behind.
void openAtUnloaded(QFile& file, const QString& path, const UnloadedEntries& unloaded) {
    const QString changed = QStringLiteral(
        "vigilo.cfg holds more entries than the list can show, and it has changed on disk since "
        "Vigilo read it, so Vigilo can no longer tell which entries the editor does not show: "
        "saving now could lose some of them. The file is left as it is; restart Vigilo to edit "
        "the list as it is now.");
    if (!file.open(QIODevice::ReadOnly) || file.size() < unloaded.offset ||
        digestOfHead(file, unloaded.offset) != unloaded.headDigest)
        fail(path, QStringLiteral("the file changed since it was read"), changed);
}

// Copies the rest of `from` into `to`.
void copyRest(QFile& from, QSaveFile& to, const QString& path) {
    QByteArray chunk(kChunkSize, Qt::Uninitialized);
    for (;;) {
        const qint64 n = from.read(chunk.data(), kChunkSize);
        if (n < 0)
            fail(path, from.errorString());
        if (n == 0)
            return;
        if (to.write(chunk.constData(), n) != n)
            fail(path, to.errorString());
    }
}

} // namespace

QString randomListPath(const QString& programFolder) {
    // The program may sit in a root folder, whose path already ends with one.
    if (programFolder.endsWith(QLatin1Char('/')) || programFolder.endsWith(QDir::separator()))
        return programFolder + QLatin1String(kFileName);
    return programFolder + QDir::separator() + QLatin1String(kFileName);
}

RandomListContents readRandomListFile(const QString& path, qsizetype limit) {
    RandomListContents contents;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        // No file yet is no failure: the list starts empty.
        if (file.exists())
            qCWarning(lcRandomList)
                << "the list file cannot be read:" << path << file.errorString();
        return contents;
    }
    LineSplitter splitter(contents.entries, limit);
    QByteArray chunk(kChunkSize, Qt::Uninitialized);
    bool wanted = true;
    while (wanted) {
        const qint64 n = file.read(chunk.data(), kChunkSize);
        if (n < 0) { // a failed read ends the list where it got to
            qCWarning(lcRandomList)
                << "the list file was read only in part:" << path << file.errorString();
            break;
        }
        if (n == 0) {
            splitter.finish();
            break;
        }
        wanted = splitter.feed(chunk.constData(), n);
    }
    // Whatever lies past the last entry taken, for a full list or a failed
    // read alike, is for a save to keep.
    if (splitter.end() < file.size()) {
        contents.unloaded.offset = splitter.end();
        contents.unloaded.headDigest = digestOfHead(file, splitter.end());
    }
    return contents;
}

QStringList SaveRandomList(const QString& path, const QStringList& entries,
                           UnloadedEntries& unloaded) {
    // Every entry is checked before anything is written.
    QStringList stored;
    stored.reserve(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i)
        stored.append(storedForm(entries.at(i), i + 1));
    QFile old(path);
    if (unloaded.exist())
        openAtUnloaded(old, path, unloaded);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail(path, file.errorString());
    QCryptographicHash head(QCryptographicHash::Sha256);
    qint64 headSize = 0;
    auto write = [&](QByteArrayView bytes) {
        if (file.write(bytes.data(), bytes.size()) != bytes.size())
            fail(path, file.errorString());
        if (unloaded.exist()) // the digest is only wanted then, and costs
            head.addData(bytes);
        headSize += bytes.size();
    };
    for (const QString& entry : stored) {
        write(entry.toLatin1());
        write("\r\n");
    }
    if (old.isOpen()) {
        copyRest(old, file, path);
        old.close();
    }
    // Flushed here and checked: commit() alone reports success even when its
    // final flush stopped short (a full disk), which would put a truncated
    // list in place of the old one.
    if (!file.flush() || file.bytesToWrite() != 0)
        fail(path, file.errorString());
    if (!file.commit())
        fail(path, file.errorString());
    if (unloaded.exist()) {
        unloaded.offset = headSize;
        unloaded.headDigest = head.result();
    }
    return stored;
}
