#include "fetcher_rig.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>

// ReadUrl on a reader that ends each read when the test says so: what the
// reader is asked, what the page becomes, the texts and the pointer.
class TestCNetGetReadUrl : public QObject {
    Q_OBJECT

private slots:
    void init() {
        rig = std::make_unique<FetcherRig>();
        rig->net.Init();
        rig->status.texts.clear();
    }
    void cleanup() { rig.reset(); }

    // The result comes later, from the event loop, never from inside ReadUrl;
    // the status window follows the bytes as they come.
    void readEndsInAResult() {
        rig->net.ReadUrl("http://a/");
        QCOMPARE(rig->finished.size(), 0);
        QCOMPARE(rig->reader.requests.size(), 1);
        QCOMPARE(rig->reader.requests[0].url, QByteArray("http://a/"));
        QCOMPARE(rig->reader.requests[0].agent, QByteArray("vigilo"));
        QVERIFY(rig->net.Reading());
        rig->reader.progress(3000);
        rig->reader.progress(3000);
        rig->reader.finish(QByteArray(5000, 'p'));
        QCOMPARE(rig->outcome(), std::optional<bool>(true));
        QVERIFY(!rig->net.Reading());
        QCOMPARE(rig->net.GetRawHTML(), QString(5000, 'p'));
        QCOMPARE(rig->status.texts,
                 (QStringList{"Opening: http://a/", "Reading Url: 3000 bytes read",
                              "Reading Url: 5000 bytes read", "Ready"}));
        QCOMPARE(rig->pointer.calls, (QStringList{"busy", "restore"}));

        rig->status.texts.clear();
        rig->net.ReadUrl("http://empty/");
        rig->reader.finish({});
        QCOMPARE(rig->outcome(), std::optional<bool>(true));
        QCOMPARE(rig->net.GetRawHTML(), QString());
        QCOMPARE(rig->status.texts,
                 (QStringList{"Opening: http://empty/", "Reading Url: 0 bytes read", "Ready"}));
    }

    void pageText() {
        QByteArray all;
        for (int b = 1; b < 256; ++b)
            all.append(static_cast<char>(b));
        rig->net.ReadUrl("http://bytes/");
        rig->reader.finish("<" + all + ">");
        const QString text = rig->net.GetRawHTML();
        QCOMPARE(text.size(), 257);
        for (int b = 1; b < 256; ++b)
            QCOMPARE(text.at(b).unicode(), char16_t(b));

        // Spaces alone are trimmed, at either end; the head and the length
        // are those of the trimmed text.
        rig->net.ReadUrl("http://spaces/");
        rig->reader.finish("   <html>\t</html>\r\n  ");
        QCOMPARE(rig->net.GetRawHTML(), QStringLiteral("<html>\t</html>\r\n"));
        QCOMPARE(rig->net.GetRawHTMLHead(3), QStringLiteral("<ht"));
        QCOMPARE(rig->net.GetRawHTMLLength(), 16);
        rig->net.ReadUrl("http://tabs/");
        rig->reader.finish("\t <p> \t");
        QCOMPARE(rig->net.GetRawHTML(), QStringLiteral("\t <p> \t"));
    }

    // A failed read leaves the page read before it, and says why.
    void failedReadKeepsThePreviousPage_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<int>("code"); // what the reader ends with; -1: never asked
        QTest::addColumn<QString>("detail");
        QTest::addColumn<QString>("error");
        QTest::newRow("name not resolved") << "http://nowhere.invalid/" << 12007 << QString()
                                           << "The server name could not be resolved.";
        QTest::newRow("code outside the table")
            << "http://a/" << 12152 << QString() << "Error details not available.";
        QTest::newRow("no code at all")
            << "http://a/" << 0 << QString() << "Error details not available.";
        QTest::newRow("a failure in words")
            << "http://a/" << 12152 << "The server answered 503 Service Unavailable."
            << "The server answered 503 Service Unavailable.";
        QTest::newRow("no address in brackets")
            << QStringLiteral("http://[\u20AC]/") << -1 << QString() << "The URL is invalid.";
    }
    void failedReadKeepsThePreviousPage() {
        QFETCH(QString, url);
        QFETCH(int, code);
        QFETCH(QString, detail);
        QFETCH(QString, error);
        rig->net.ReadUrl("http://page/");
        rig->reader.finish("previous page");
        QCOMPARE(rig->outcome(), std::optional<bool>(true));
        rig->status.texts.clear();
        rig->pointer.calls.clear();

        rig->net.ReadUrl(url);
        if (code >= 0) {
            rig->reader.fail(code == 0 ? -1 : code, detail);
            QCOMPARE(rig->reader.requests.size(), 2);
        } else {
            QTRY_COMPARE(rig->finished.size(), 1);
            QCOMPARE(rig->reader.requests.size(), 1);
        }
        QCOMPARE(rig->outcome(), std::optional<bool>(false));
        QCOMPARE(rig->net.GetLastError(), error);
        QCOMPARE(rig->net.GetRawHTML(), QStringLiteral("previous page"));
        QCOMPARE(rig->status.texts, (QStringList{"Opening: " + url, "Ready"}));
        QCOMPARE(rig->pointer.calls, (QStringList{"busy", "restore"}));
    }

    // Once its answer has begun, a read replaces the page whatever comes of
    // it, so that a page is never held twice; the old page's buffer is the
    // next read's room.
    void answerThatBeganReplacesThePage() {
        rig->net.ReadUrl("http://page/");
        rig->reader.finish(QByteArray(20000, 'p'));
        rig->net.ReadUrl("http://page/");
        rig->reader.progress(100);
        QCOMPARE(rig->net.GetRawHTMLLength(), 0);
        rig->reader.fail(InternetError::ConnectionAborted);
        QCOMPARE(rig->net.GetRawHTML(), QString());
        rig->net.ReadUrl("http://page/");
        QVERIFY(rig->reader.requests.last().room.capacity() >= 20000);
    }

    // A success does not clear the message of an earlier failure.
    void successKeepsTheLastFailureText() {
        rig->net.ReadUrl("http://cut/");
        rig->reader.fail(InternetError::ConnectionAborted);
        rig->net.ReadUrl("http://good/");
        rig->reader.finish("fine");
        QCOMPARE(rig->finished.size(), 2);
        QCOMPARE(rig->net.GetRawHTML(), QStringLiteral("fine"));
        QCOMPARE(rig->net.GetLastError(),
                 QStringLiteral("The connection with the server has been terminated."));
    }

    // Each read fills the buffer a page before the last one left behind.
    void eachReadHoldsOnlyItsOwnPage() {
        const QList<QByteArray> pages{QByteArray(9000, 'L'), "short", QByteArray(8000, 'o'),
                                      QByteArray(9000, 'L')};
        for (const QByteArray& page : pages) {
            rig->net.ReadUrl("http://a/");
            // A page of its own, as the reader hands over, shared with nothing.
            rig->reader.finish(QByteArray(page.constData(), page.size()));
            QCOMPARE(rig->net.GetRawHTML(), QString::fromLatin1(page));
        }
        QVERIFY(rig->reader.requests[0].room.capacity() == 0);
        QVERIFY(rig->reader.requests[2].room.capacity() >= 9000);
        for (const PageRequest& request : std::as_const(rig->reader.requests))
            QVERIFY(request.room.isEmpty());
    }

    // Typed beyond Latin-1, an address goes to the reader as the browser pane
    // asks for it; in Latin-1, one byte for each character as typed.
    void typedAddressGoesOutAsTheBrowserAsks_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("euro sign in the path")
            << QStringLiteral("http://127.0.0.1:8080/page\u20ACx")
            << QByteArray("http://127.0.0.1:8080/page%E2%82%ACx");
        QTest::newRow("euro sign in the query")
            << QStringLiteral("http://h/page\u20ACx?q=\u20AC&r=\u00E9")
            << QByteArray("http://h/page%E2%82%ACx?q=%E2%82%AC&r=%C3%A9");
        QTest::newRow("host name beyond Latin-1") << QStringLiteral(" http://\u4F8B\u3048.test/p ")
                                                  << QByteArray("http://xn--r8jz45g.test/p");
        QTest::newRow("Latin-1 as typed")
            << QStringLiteral(" http://h/caf\u00E9 ") << QByteArray(" http://h/caf\xE9 ");
    }
    void typedAddressGoesOutAsTheBrowserAsks() {
        QFETCH(QString, typed);
        QFETCH(QByteArray, sent);
        rig->net.ReadUrl(typed);
        QCOMPARE(rig->reader.requests.value(0).url, sent);
        QCOMPARE(rig->status.texts.first(), "Opening: " + typed);
    }

    void writesTheBytesToAFileInsteadOfTheText() {
        QByteArray body;
        for (int i = 0; i < 5000; ++i)
            body.append(static_cast<char>(i % 256));
        QTemporaryDir dir;
        const QString path = dir.filePath("out.bin");
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(9000, 'o')); // longer than the page: must not survive
        old.close();
        rig->net.ReadUrl("http://page/");
        rig->reader.finish("page text");
        rig->net.ReadUrl("http://file/", path);
        rig->reader.finish(body);
        QCOMPARE(rig->finished.size(), 2);
        QVERIFY(rig->finished.at(1).at(0).toBool());
        QCOMPARE(rig->net.GetRawHTML(), QString());
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), body);
    }

    void outputFileThatCannotBeOpened_data() {
        QTest::addColumn<QString>("name"); // {dir} is a fresh folder
        QTest::addColumn<QString>("error");
        QTest::newRow("missing folder") << "{dir}/missing/out.htm"
                                        << "Path not found";
        QTest::newRow("a folder") << "{dir}"
                                  << "Path/File access error";
        QTest::newRow("no name") << ""
                                 << "Bad file name or number";
    }
    void outputFileThatCannotBeOpened() {
        QFETCH(QString, name);
        QFETCH(QString, error);
        QTemporaryDir dir;
        name.replace(QLatin1String("{dir}"), dir.path());
        rig->net.ReadUrl("http://page/");
        rig->reader.finish("page text");
        rig->status.texts.clear();
        rig->pointer.calls.clear();
        rig->finished.clear();

        rig->net.ReadUrl("http://page/", name);
        QTRY_COMPARE(rig->finished.size(), 1);
        QCOMPARE(rig->outcome(), std::optional<bool>(false));
        QCOMPARE(rig->net.GetLastError(), error);
        // No "Ready" on this path, but the pointer comes back.
        QCOMPARE(rig->status.texts, QStringList{"Opening: http://page/"});
        QCOMPARE(rig->pointer.calls, (QStringList{"busy", "restore"}));
        QCOMPARE(rig->reader.requests.size(), 1);
        QCOMPARE(rig->net.GetRawHTML(), QStringLiteral("page text"));
    }

    // The URL cannot be read: the output file is closed again, not left open.
    void outputFileIsClosedWhenTheReadFails() {
        QTemporaryDir dir;
        const QString path = dir.filePath("out.htm");
        rig->net.ReadUrl("http://nowhere.invalid/", path);
        rig->reader.fail(InternetError::NameNotResolved);
        QFile again(path);
        QVERIFY(again.open(QIODevice::ReadWrite));
        QCOMPARE(again.size(), 0);
        QVERIFY(rig->finished.size() == 1 && !rig->finished.at(0).at(0).toBool());
    }

    // The byte total is a signed 32-bit count; past it the read stops with a
    // clear error instead of wrapping round, and the reader lets go.
    void byteTotalOverflowStopsTheRead() {
        rig->net.ReadUrl("http://endless/");
        rig->reader.progress(std::numeric_limits<std::int32_t>::max());
        QCOMPARE(rig->finished.size(), 0);
        rig->reader.progress(qint64{std::numeric_limits<std::int32_t>::max()} + 1);
        QCOMPARE(rig->outcome(), std::optional<bool>(false));
        QCOMPARE(rig->net.GetLastError(), QStringLiteral("Overflow"));
        QCOMPARE(rig->reader.abandoned, 1);
        QVERIFY(!rig->status.texts.contains("Ready"));
        QCOMPARE(rig->pointer.calls.last(), QStringLiteral("restore"));
    }

    // An abandoned read ends nothing: no result, the page as it was, the
    // pointer back; the reader is free for the next one.
    void cancelledReadEndsNothing() {
        rig->net.ReadUrl("http://page/");
        rig->reader.finish("kept");
        rig->finished.clear();
        rig->net.ReadUrl("http://slow/");
        rig->net.CancelRead();
        QVERIFY(!rig->net.Reading());
        QVERIFY(!rig->reader.reading());
        QCOMPARE(rig->reader.abandoned, 1);
        QCOMPARE(rig->pointer.calls.last(), QStringLiteral("restore"));
        QTest::qWait(0);
        QCOMPARE(rig->finished.size(), 0);
        QCOMPARE(rig->net.GetRawHTML(), QStringLiteral("kept"));

        // A failure due from the event loop is abandoned as well.
        rig->net.ReadUrl(QStringLiteral("http://[\u20AC]/"));
        QCOMPARE(rig->reader.requests.size(), 2);
        rig->net.CancelRead();
        QTest::qWait(0);
        QCOMPARE(rig->finished.size(), 0);
    }

    // A read started while one is under way replaces it; a failure due from
    // the event loop for the first never ends the second.
    void aNewReadReplacesTheOneUnderWay() {
        rig->net.ReadUrl("http://first/");
        rig->net.ReadUrl("http://second/");
        QCOMPARE(rig->reader.abandoned, 1);
        rig->reader.finish("second");
        QCOMPARE(rig->outcome(), std::optional<bool>(true));
        QCOMPARE(rig->net.GetRawHTML(), QStringLiteral("second"));

        rig->net.ReadUrl(QStringLiteral("http://[\u20AC]/"));
        QCOMPARE(rig->reader.requests.size(), 2);
        rig->net.ReadUrl("http://third/");
        QTest::qWait(0);
        QCOMPARE(rig->finished.size(), 0);
        QVERIFY(rig->reader.reading());
        rig->reader.finish("third");
        QCOMPARE(rig->outcome(), std::optional<bool>(true));
    }

    void destructionAbandonsTheRead() {
        auto net = std::make_unique<CNetGet>(rig->reader, rig->pointer, rig->program);
        net->Init();
        net->ReadUrl("http://slow/");
        net.reset();
        QCOMPARE(rig->reader.abandoned, 1);
        QVERIFY(!rig->reader.reading());
    }

private:
    std::unique_ptr<FetcherRig> rig;
};

QTEST_MAIN(TestCNetGetReadUrl)
#include "tst_cnetget_readurl.moc"
