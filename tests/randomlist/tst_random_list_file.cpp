#include "randomlist/random_list_file.h"

#include "file_size_limit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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

} // namespace

class TestRandomListFile : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    QString path() const { return dir_.filePath(QStringLiteral("vigilo.cfg")); }

    QStringList parse(const QByteArray& bytes) {
        writeBytes(path(), bytes);
        return readRandomList(path());
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
        QCOMPARE(readRandomList(dir_.filePath(QStringLiteral("absent.cfg"))), QStringList());
        QTemporaryDir other;
        QVERIFY(QDir(other.path()).mkdir(QStringLiteral("vigilo.cfg")));
        QCOMPARE(readRandomList(other.filePath(QStringLiteral("vigilo.cfg"))), QStringList());
    }

    void saveWritesCrLfAfterEveryEntry() {
        SaveRandomList(path(), {"x", "", "y"});
        QCOMPARE(readBytes(path()), QByteArray("x\r\n\r\ny\r\n"));
        QCOMPARE(readRandomList(path()), (QStringList{"x", "", "y"}));
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
        SaveRandomList(path(), entries);
        QCOMPARE(readRandomList(path()), entries);
    }

    void latin1BytesAreWrittenOneByOne() {
        SaveRandomList(path(), {QStringLiteral("caf\u00E9")});
        QCOMPARE(readBytes(path()), QByteArray("caf\xE9\r\n"));
    }

    void shorterOverLongerLeavesNoTrace() {
        SaveRandomList(path(), {"http://long.example/one", "http://long.example/two", "three"});
        SaveRandomList(path(), {"z"});
        QCOMPARE(readBytes(path()), QByteArray("z\r\n"));
    }

    void unstorableEntryIsRefusedAndFileKept_data() {
        QTest::addColumn<QString>("entry");
        QTest::newRow("beyond latin-1") << QStringLiteral("http://\u4F8B\u3048.jp/");
        QTest::newRow("euro sign") << QStringLiteral("\u20AC");
        QTest::newRow("CR would split it") << QStringLiteral("a\rb");
    }
    void unstorableEntryIsRefusedAndFileKept() {
        QFETCH(QString, entry);
        writeBytes(path(), "old\r\nlist\r\n");
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 SaveRandomList(path(), {"fine", entry, "after"}));
        QCOMPARE(readBytes(path()), QByteArray("old\r\nlist\r\n"));
    }

    void saveIntoAFolderThatCannotExistFails() {
        // A regular file in place of the folder stops even root.
        const QString notAFolder = dir_.filePath(QStringLiteral("plain-file"));
        writeBytes(notAFolder, "x");
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 SaveRandomList(randomListPath(notAFolder), {"a"}));
        QVERIFY_THROWS_EXCEPTION(
            std::runtime_error,
            SaveRandomList(randomListPath(dir_.filePath(QStringLiteral("no/such/dir"))), {"a"}));
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
            QVERIFY_THROWS_EXCEPTION(std::runtime_error, SaveRandomList(path, big));
        }
        QCOMPARE(readBytes(path), old);
        // No half-written temporary file is left behind beside it.
        QCOMPARE(QDir(own.path()).entryList(QDir::Files), QStringList{"vigilo.cfg"});
        // And the next save, with room, goes through.
        SaveRandomList(path, big);
        QCOMPARE(readRandomList(path), big);
    }
};

QTEST_GUILESS_MAIN(TestRandomListFile)
#include "tst_random_list_file.moc"
