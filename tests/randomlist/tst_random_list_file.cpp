#include "randomlist/random_list_file.h"

#include "file_size_limit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <algorithm>

#include <stdexcept>

namespace {

QByteArray readBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return f.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QStringList loadedEntries(const QString& path) {
    return readRandomListFile(path).entries;
}

// A save over a file whose every entry was loaded.
QStringList saveWholeList(const QString& path, const QStringList& entries) {
    UnloadedEntries none;
    return SaveRandomList(path, entries, none);
}

} // namespace

class TestRandomListFile : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    QString path() const { return dir_.filePath(QStringLiteral("vigilo.cfg")); }

    QStringList parse(const QByteArray& bytes) {
        writeBytes(path(), bytes);
        return loadedEntries(path());
    }

private slots:
    void pathIsTheFileBesideTheProgram() {
        QCOMPARE(randomListPath(QStringLiteral("/opt/vigilo")),
                 QStringLiteral("/opt/vigilo") + QDir::separator() + QStringLiteral("vigilo.cfg"));
        // A root folder already ends with its separator.
        QCOMPARE(randomListPath(QStringLiteral("/")), QStringLiteral("/vigilo.cfg"));
    }

    void readingRule_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("empty file") << QByteArray() << QStringList();
        QTest::newRow("CR LF after each") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
        QTest::newRow("empty line kept") << QByteArray("a\r\n\r\nb") << QStringList{"a", "", "b"};
        QTest::newRow("last line unterminated") << QByteArray("a\r\nb") << QStringList{"a", "b"};
        QTest::newRow("lone LF stays inside")
            << QByteArray("a\nb\r\n") << QStringList{QStringLiteral("a\nb")};
        QTest::newRow("lone CR ends a line") << QByteArray("a\rb\r") << QStringList{"a", "b"};
        QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << QStringList{"a", "", "b"};
        QTest::newRow("LF after CR LF starts an entry")
            << QByteArray("a\r\n\n") << QStringList{"a", QStringLiteral("\n")};
        QTest::newRow("only a terminator") << QByteArray("\r\n") << QStringList{""};
        QTest::newRow("blanks belong to the entry")
            << QByteArray("  http://x/ \t\r\n ") << QStringList{"  http://x/ \t", " "};
        QTest::newRow("one byte one character")
            << QByteArray("caf\xE9\r\n\xFF\x80\r\n")
            << QStringList{QStringLiteral("caf\u00E9"), QStringLiteral("\u00FF\u0080")};
    }
    void readingRule() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, entries);
        QCOMPARE(parse(bytes), entries);
    }

    void crLfSplitAcrossReadChunksIsOneTerminator() {
        // The reader works in 64 KiB pieces; a pair broken between two
        // pieces must not yield an extra entry.
        QByteArray first(64 * 1024 - 1, 'x');
        QStringList got = parse(first + "\r\ny");
        QCOMPARE(got.size(), 2);
        QCOMPARE(got.at(0).size(), first.size());
        QCOMPARE(got.at(1), QStringLiteral("y"));
    }

    void readStopsAtTheListLimit() {
        QByteArray bytes;
        for (int i = 0; i < kMaxRandomListEntries + 5; ++i)
            bytes += QByteArray::number(i) + "\r\n";
        QStringList got = parse(bytes);
        QCOMPARE(got.size(), kMaxRandomListEntries);
        QCOMPARE(got.first(), QStringLiteral("0"));
        QCOMPARE(got.last(), QString::number(kMaxRandomListEntries - 1));
        // Exactly at the limit, the unterminated last line still counts.
        bytes.clear();
        for (int i = 0; i < kMaxRandomListEntries; ++i)
            bytes += (i ? "\r\n" : "") + QByteArray::number(i);
        got = parse(bytes);
        QCOMPARE(got.size(), kMaxRandomListEntries);
        QCOMPARE(got.last(), QString::number(kMaxRandomListEntries - 1));
    }

    void missingOrUnreadableGivesNothing() {
        QCOMPARE(loadedEntries(dir_.filePath(QStringLiteral("absent.cfg"))), QStringList());
        QTemporaryDir other;
        QVERIFY(QDir(other.path()).mkdir(QStringLiteral("vigilo.cfg")));
        QCOMPARE(loadedEntries(other.filePath(QStringLiteral("vigilo.cfg"))), QStringList());
    }

    void saveWritesCrLfAfterEveryEntry() {
        saveWholeList(path(), {"x", "", "y"});
        QCOMPARE(readBytes(path()), QByteArray("x\r\n\r\ny\r\n"));
        QCOMPARE(loadedEntries(path()), (QStringList{"x", "", "y"}));
    }

    void saveRoundTrips_data() {
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("urls") << QStringList{"http://a/", "https://b/c?d=e&f", "ftp://g"};
        QTest::newRow("blanks and duplicates") << QStringList{" a ", " a ", "   ", "a"};
        QTest::newRow("latin-1") << QStringList{QStringLiteral("http://\u00E9t\u00E9/\u00FF"),
                                                QStringLiteral("\u00A0\u0080")};
        QTest::newRow("lone LF inside") << QStringList{QStringLiteral("a\nb"), "c"};
        QTest::newRow("empty entries") << QStringList{"", ""};
    }
    void saveRoundTrips() {
        QFETCH(QStringList, entries);
        saveWholeList(path(), entries);
        QCOMPARE(loadedEntries(path()), entries);
    }

    void latin1BytesAreWrittenOneByOne() {
        saveWholeList(path(), {QStringLiteral("caf\u00E9")});
        QCOMPARE(readBytes(path()), QByteArray("caf\xE9\r\n"));
    }

    void shorterOverLongerLeavesNoTrace() {
        saveWholeList(path(), {"http://long.example/one", "http://long.example/two", "three"});
        saveWholeList(path(), {"z"});
        QCOMPARE(readBytes(path()), QByteArray("z\r\n"));
    }

    void unstorableEntryIsRefusedAndFileKept_data() {
        QTest::addColumn<QString>("entry");
        QTest::newRow("host with an empty label") << QStringLiteral("http://\u4F8B\u3048..jp/");
        QTest::newRow("blank in the host") << QStringLiteral("http://exa mple\u4F8B.com/");
        // Encoded, the path would name another file.
        QTest::newRow("local file") << QStringLiteral("/tmp/\u4F8B.htm");
        QTest::newRow("CR would split it") << QStringLiteral("a\rb");
        QTest::newRow("CR in an address") << QStringLiteral("http://\u4F8B.jp/a\rb");
    }
    void unstorableEntryIsRefusedAndFileKept() {
        QFETCH(QString, entry);
        writeBytes(path(), "old\r\nlist\r\n");
        QString reason;
        try {
            saveWholeList(path(), {"fine", entry, "after"});
        } catch (const SaveRandomListError& e) {
            reason = e.reason();
        }
        // The user learns which entry, and sees enough of it to find it.
        QVERIFY2(reason.startsWith(QStringLiteral("Entry 2, \"") + entry.left(8)),
                 qPrintable(reason));
        QCOMPARE(readBytes(path()), QByteArray("old\r\nlist\r\n"));
    }

    void entryBeyondLatin1IsStoredAsTheSameAddressInAscii_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("host and path") << QStringLiteral("http://\u4F8B\u3048.jp/\u00FC\u20AC")
                                       << QByteArray("http://xn--r8jz45g.jp/%C3%BC%E2%82%AC");
        QTest::newRow("query and fragment")
            << QStringLiteral("https://a.example/s?q=\u20AC#\u4F8B")
            << QByteArray("https://a.example/s?q=%E2%82%AC#%E4%BE%8B");
        QTest::newRow("blanks around stay")
            << QStringLiteral(" http://\u4F8B.jp/\t") << QByteArray(" http://xn--fsq.jp/\t");
        QTest::newRow("lone LF inside")
            << QStringLiteral("http://\u4F8B.jp/a\nb") << QByteArray("http://xn--fsq.jp/a%0Ab");
        QTest::newRow("without a scheme")
            << QStringLiteral("\u4F8B.jp/x") << QByteArray("%E4%BE%8B.jp/x");
    }
    void entryBeyondLatin1IsStoredAsTheSameAddressInAscii() {
        QFETCH(QString, entry);
        QFETCH(QByteArray, stored);
        const QStringList saved = saveWholeList(path(), {"caf\u00E9", entry});
        QCOMPARE(readBytes(path()), "caf\xE9\r\n" + stored + "\r\n");
        QCOMPARE(saved, (QStringList{QStringLiteral("caf\u00E9"), QString::fromLatin1(stored)}));
        // Read back, it leads where the entry led.
        QCOMPARE(QUrl::fromUserInput(loadedEntries(path()).last()), QUrl::fromUserInput(entry));
    }

    void saveIntoAFolderThatCannotExistFails() {
        // A regular file in place of the folder stops even root.
        const QString notAFolder = dir_.filePath(QStringLiteral("plain-file"));
        writeBytes(notAFolder, "x");
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 saveWholeList(randomListPath(notAFolder), {"a"}));
        QVERIFY_THROWS_EXCEPTION(
            std::runtime_error,
            saveWholeList(randomListPath(dir_.filePath(QStringLiteral("no/such/dir"))), {"a"}));
        QCOMPARE(readBytes(notAFolder), QByteArray("x"));
    }

    void saveFailingMidwayKeepsTheOldFile() {
        QTemporaryDir own;
        const QString path = randomListPath(own.path());
        const QByteArray old = "http://kept.example/1\r\nhttp://kept.example/2\r\n";
        writeBytes(path, old);
        QStringList big;
        for (int i = 0; i < 200; ++i)
            big.append(QStringLiteral("http://new.example/page/%1").arg(i));
        {
            FileSizeLimit diskFull(16);
            QVERIFY(diskFull.active());
            QVERIFY_THROWS_EXCEPTION(std::runtime_error, saveWholeList(path, big));
        }
        QCOMPARE(readBytes(path), old);
        // No half-written temporary file is left behind beside it.
        QCOMPARE(QDir(own.path()).entryList(QDir::Files), QStringList{"vigilo.cfg"});
        // And the next save, with room, goes through.
        saveWholeList(path, big);
        QCOMPARE(loadedEntries(path), big);
    }

    void readNotesWhereTheEntriesNotLoadedBegin_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qsizetype>("limit");
        QTest::addColumn<qint64>("offset"); // -1: everything was loaded
        QTest::newRow("after CR LF") << QByteArray("a\r\nb\r\nc\r\n") << qsizetype(2) << 6LL;
        QTest::newRow("after a lone CR") << QByteArray("a\rb\rc") << qsizetype(2) << 4LL;
        QTest::newRow("a lone LF next is an entry") << QByteArray("a\r\n\n") << qsizetype(1) << 3LL;
        QTest::newRow("CR LF split between pieces")
            << QByteArray(64 * 1024 - 1, 'x') + "\r\nrest" << qsizetype(1) << 64LL * 1024 + 1;
        QTest::newRow("exactly full") << QByteArray("a\r\nb\r\n") << qsizetype(2) << -1LL;
        QTest::newRow("full, last unterminated") << QByteArray("a\r\nb") << qsizetype(2) << -1LL;
        QTest::newRow("under the limit") << QByteArray("a\r\nb") << qsizetype(5) << -1LL;
    }
    void readNotesWhereTheEntriesNotLoadedBegin() {
        QFETCH(QByteArray, bytes);
        QFETCH(qsizetype, limit);
        QFETCH(qint64, offset);
        writeBytes(path(), bytes);
        const RandomListContents read = readRandomListFile(path(), limit);
        QCOMPARE(read.entries.size(), std::min<qsizetype>(limit, parse(bytes).size()));
        QCOMPARE(read.unloaded.offset, offset);
    }

    void saveKeepsTheEntriesNotLoadedByteForByte() {
        // What follows the loaded entries keeps its odd line ends, its
        // Latin-1 bytes and its missing last terminator.
        const QByteArray rest = "r1\rr\n2\r\n\r\nr\xE9";
        writeBytes(path(), "a\r\nb\rc\r\n" + rest);
        RandomListContents read = readRandomListFile(path(), 3);
        QCOMPARE(read.entries, (QStringList{"a", "b", "c"}));
        SaveRandomList(path(), {"x", QStringLiteral("\u4F8B")}, read.unloaded);
        QCOMPARE(readBytes(path()), "x\r\n%E4%BE%8B\r\n" + rest);
        // A later save, here of a single entry, still knows where they begin.
        SaveRandomList(path(), {"only"}, read.unloaded);
        QCOMPARE(readBytes(path()), "only\r\n" + rest);
        // Entries appended to them meanwhile are kept too.
        writeBytes(path(), "only\r\n" + rest + "\r\nnew\r\n");
        SaveRandomList(path(), {"y"}, read.unloaded);
        QCOMPARE(readBytes(path()), "y\r\n" + rest + "\r\nnew\r\n");
    }

    void saveLeavesAFileChangedBeforeTheEntriesNotLoadedAlone_data() {
        QTest::addColumn<QByteArray>("changed"); // null: the file is gone
        QTest::newRow("an entry edited") << QByteArray("a\r\nB\r\nc\r\nd\r\n");
        QTest::newRow("an entry removed") << QByteArray("a\r\nc\r\nd\r\n");
        QTest::newRow("cut short") << QByteArray("a\r\n");
        QTest::newRow("gone") << QByteArray();
    }
    void saveLeavesAFileChangedBeforeTheEntriesNotLoadedAlone() {
        QFETCH(QByteArray, changed);
        writeBytes(path(), "a\r\nb\r\nc\r\nd\r\n");
        RandomListContents read = readRandomListFile(path(), 2);
        if (changed.isNull())
            QVERIFY(QFile::remove(path()));
        else
            writeBytes(path(), changed);
        QString reason;
        try {
            SaveRandomList(path(), {"x"}, read.unloaded);
        } catch (const SaveRandomListError& e) {
            reason = e.reason();
        }
        QVERIFY2(reason.contains(QStringLiteral("changed on disk")), qPrintable(reason));
        QCOMPARE(QFile::exists(path()), !changed.isNull());
        if (!changed.isNull())
            QCOMPARE(readBytes(path()), changed);
    }
};

QTEST_GUILESS_MAIN(TestRandomListFile)
#include "tst_random_list_file.moc"
