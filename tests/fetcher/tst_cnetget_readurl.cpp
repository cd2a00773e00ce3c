#include "fetcher_rig.h"
#include "http_test_server.h"
#include "platform/internet/curl_internet.h"

#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

// ReadUrl against the real internet layer and the loopback server.
class TestCNetGetReadUrl : public QObject {
    Q_OBJECT

private slots:
    void init() {
        server = std::make_unique<HttpTestServer>();
        internet = std::make_unique<CurlInternet>(CurlInternet::Timeouts{300, 1000});
        rig = std::make_unique<FetcherRig>(*internet);
        rig->net.Init();
        rig->status.texts.clear();
    }
    void cleanup() {
        rig.reset();
        internet.reset();
        server.reset();
    }

    void emptyPage() {
        server->setBody("/empty", {});
        const QString url = server->url("/empty");
        QVERIFY(rig->net.ReadUrl(url));
        QCOMPARE(rig->net.GetRawHTML(), QString());
        QCOMPARE(rig->status.texts,
                 (QStringList{"Opening: " + url, "Reading Url: 0 bytes read", "Ready"}));
        QCOMPARE(rig->pointer.calls, (QStringList{"busy", "restore"}));
    }

    void pageOfExactlyOneChunk() {
        server->setBody("/exact", QByteArray(2048, 'q'));
        const QString url = server->url("/exact");
        QVERIFY(rig->net.ReadUrl(url));
        QCOMPARE(rig->net.GetRawHTML(), QString(2048, 'q'));
        QCOMPARE(rig->status.texts, (QStringList{"Opening: " + url, "Reading Url: 2048 bytes read",
                                                 "Reading Url: 2048 bytes read", "Ready"}));
    }

    void bytesBecomeCharactersOneToOne() {
        QByteArray all;
        for (int b = 1; b < 256; ++b)
            all.append(static_cast<char>(b));
        server->setBody("/bytes", "<" + all + ">");
        QVERIFY(rig->net.ReadUrl(server->url("/bytes")));
        const QString text = rig->net.GetRawHTML();
        QCOMPARE(text.size(), 257);
        for (int b = 1; b < 256; ++b)
            QCOMPARE(text.at(b).unicode(), char16_t(b));
    }

    void onlySpacesAreTrimmed() {
        server->setBody("/spaces", "   <html>\t</html>\r\n");
        QVERIFY(rig->net.ReadUrl(server->url("/spaces")));
        QCOMPARE(rig->net.GetRawHTML(), QStringLiteral("<html>\t</html>\r\n"));
        server->setBody("/tabs", "\t <p> \t");
        QVERIFY(rig->net.ReadUrl(server->url("/tabs")));
        QCOMPARE(rig->net.GetRawHTML(), QStringLiteral("\t <p> \t"));
    }

    void unresolvableHostKeepsThePreviousPage() {
        server->setBody("/page", "previous page");
        QVERIFY(rig->net.ReadUrl(server->url("/page")));
        rig->status.texts.clear();
        QVERIFY(!rig->net.ReadUrl("http://nowhere.invalid/"));
        QCOMPARE(rig->net.GetLastError(), QStringLiteral("The server name could not be resolved."));
        QCOMPARE(rig->net.GetRawHTML(), QStringLiteral("previous page"));
        QCOMPARE(rig->status.texts, (QStringList{"Opening: http://nowhere.invalid/", "Ready"}));
        QCOMPARE(rig->pointer.calls.last(), QStringLiteral("restore"));
    }

    // A cut-off page is a failure: it must not replace the page read before.
    void pageCutOffIsAFailure() {
        server->setBody("/good", "the whole page");
        server->setCloseMidBody("/cut", QByteArray(8000, 'c'), 5000);
        QVERIFY(rig->net.ReadUrl(server->url("/good")));
        QVERIFY(!rig->net.ReadUrl(server->url("/cut")));
        QCOMPARE(rig->net.GetLastError(),
                 QStringLiteral("The connection with the server has been terminated."));
        QCOMPARE(rig->net.GetRawHTML(), QStringLiteral("the whole page"));
        QCOMPARE(rig->status.texts.last(), QStringLiteral("Ready"));
        QCOMPARE(internet->openHandleCount(), 1);

        server->setResetMidBody("/reset", QByteArray(8000, 'r'), 4000);
        QVERIFY(!rig->net.ReadUrl(server->url("/reset")));
        QCOMPARE(rig->net.GetRawHTML(), QStringLiteral("the whole page"));
    }

    // A success does not clear the message of an earlier failure.
    void failedReadThenSuccessfulRead() {
        server->setCloseMidBody("/cut", QByteArray(8000, 'c'), 3000);
        server->setBody("/good", "fine");
        QVERIFY(!rig->net.ReadUrl(server->url("/cut")));
        QVERIFY(rig->net.ReadUrl(server->url("/good")));
        QCOMPARE(rig->net.GetRawHTML(), QStringLiteral("fine"));
        QCOMPARE(rig->net.GetLastError(),
                 QStringLiteral("The connection with the server has been terminated."));
    }

    // Each read fills the buffer an earlier page left behind.
    void eachReadHoldsOnlyItsOwnPage() {
        server->setBody("/long", QByteArray(9000, 'L'));
        server->setBody("/short", "short");
        server->setBody("/other", QByteArray(8000, 'o'));
        for (const auto& [path, text] :
             {std::pair{"/long", QString(9000, 'L')}, std::pair{"/short", QStringLiteral("short")},
              std::pair{"/other", QString(8000, 'o')}, std::pair{"/long", QString(9000, 'L')}}) {
            QVERIFY(rig->net.ReadUrl(server->url(QString::fromLatin1(path))));
            QCOMPARE(rig->net.GetRawHTML(), text);
        }
    }

    void serverFaults_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("error");
        QTest::newRow("stall") << "/stall"
                               << "The request has timed out.";
        QTest::newRow("trickle") << "/trickle"
                                 << "The request has timed out.";
        QTest::newRow("redirect loop") << "/loop"
                                       << "Error details not available.";
        QTest::newRow("refused") << "refused"
                                 << "The attempt to connect to the server failed.";
        QTest::newRow("scheme") << "ftp://127.0.0.1/x"
                                << "The URL scheme could not be recognized, or is not supported.";
        QTest::newRow("no url") << "just some words"
                                << "The URL is invalid.";
    }
    void serverFaults() {
        QFETCH(QString, path);
        QFETCH(QString, error);
        server->setStall("/stall");
        server->setTrickle("/trickle", QByteArray(500, 't'), 10);
        server->setRedirect("/loop", "/loop");
        server->setBody("/good", "kept");
        QVERIFY(rig->net.ReadUrl(server->url("/good")));
        QString url = path.startsWith('/') ? server->url(path) : path;
        if (path == QLatin1String("refused")) {
            QTcpServer closed;
            QVERIFY(closed.listen(QHostAddress::LocalHost));
            url = QStringLiteral("http://127.0.0.1:%1/").arg(closed.serverPort());
            closed.close();
        }
        QVERIFY(!rig->net.ReadUrl(url));
        QCOMPARE(rig->net.GetLastError(), error);
        QCOMPARE(rig->net.GetRawHTML(), QStringLiteral("kept"));
        QCOMPARE(rig->pointer.calls.last(), QStringLiteral("restore"));
    }

    // An address typed with characters beyond Latin-1 goes out as the browser
    // pane asks for it; none of them turns into a "?" that starts a query.
    void typedAddressGoesOutAsTheBrowserAsks_data() {
        QTest::addColumn<QString>("typed"); // {port} is the server's
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<QByteArray>("host");
        QTest::newRow("euro sign in the path")
            << QStringLiteral("http://127.0.0.1:{port}/page\u20ACx")
            << QByteArray("/page%E2%82%ACx") << QByteArray("127.0.0.1");
        QTest::newRow("euro sign in the query")
            << QStringLiteral("http://127.0.0.1:{port}/page\u20ACx?q=\u20AC&r=\u00E9")
            << QByteArray("/page%E2%82%ACx?q=%E2%82%AC&r=%C3%A9") << QByteArray("127.0.0.1");
        QTest::newRow("host name beyond Latin-1")
            << QStringLiteral(" http://\u4F8B\u3048.test:{port}/page\u20ACx ")
            << QByteArray("/page%E2%82%ACx") << QByteArray("xn--r8jz45g.test");
        // Latin-1 goes out as it always did.
        QTest::newRow("Latin-1 letters") << QStringLiteral("http://127.0.0.1:{port}/caf\u00E9")
                                         << QByteArray("/caf%C3%A9") << QByteArray("127.0.0.1");
    }
    void typedAddressGoesOutAsTheBrowserAsks() {
        QFETCH(QString, typed);
        QFETCH(QByteArray, target);
        QFETCH(QByteArray, host);
        const QByteArray port = QByteArray::number(server->port());
        internet->pinAddresses({"xn--r8jz45g.test:" + port + ":127.0.0.1"});
        const QString path = QString::fromLatin1(target.split('?').first());
        server->setBody(path, "typed page");
        server->setBody("/page", "another page");
        server->setBody("/caf", "another page");
        typed.replace(QLatin1String("{port}"), QString::fromLatin1(port));
        QVERIFY(rig->net.ReadUrl(typed));
        QCOMPARE(rig->net.GetRawHTML(), QStringLiteral("typed page"));
        const QByteArray request = server->lastRequestHeaders(path);
        QVERIFY2(request.startsWith("GET " + target + " HTTP/1.1\r\n"), request.constData());
        QVERIFY(request.contains("\r\nHost: " + host + ':' + port + "\r\n"));
        QCOMPARE(rig->status.texts.first(), "Opening: " + typed);
    }

    // Text beyond Latin-1 that is no address is refused as any bad address.
    void typedTextThatIsNoAddress() {
        server->setBody("/page", "previous page");
        QVERIFY(rig->net.ReadUrl(server->url("/page")));
        for (const QString& typed :
             {QStringLiteral("http://[\u20AC]/"), QStringLiteral("costs 5 \u20AC")}) {
            QVERIFY(!rig->net.ReadUrl(typed));
            QCOMPARE(rig->net.GetLastError(), QStringLiteral("The URL is invalid."));
            QCOMPARE(rig->net.GetRawHTML(), QStringLiteral("previous page"));
        }
        QCOMPARE(server->requestCount("/page"), 1);
    }

    void errorStatusPageIsReadAsThePage() {
        server->setBody("/missing", "<h1>Not here</h1>", 404);
        QVERIFY(rig->net.ReadUrl(server->url("/missing")));
        QCOMPARE(rig->net.GetRawHTML(), QStringLiteral("<h1>Not here</h1>"));
        QVERIFY(rig->net.ReadUrl(server->url("/never-scripted")));
        QVERIFY(rig->net.GetRawHTML().contains("Not Found"));
    }

    void chunkedPage() {
        server->setChunked("/chunked", {"<a ", "href=\"x\">", QByteArray(3000, '-')});
        QVERIFY(rig->net.ReadUrl(server->url("/chunked")));
        QCOMPARE(rig->net.GetRawHTML(), "<a href=\"x\">" + QString(3000, '-'));
    }

    // What the reader sizes its buffer by: the length the answer names.
    void announcedLength() {
        server->setBody("/sized", QByteArray(3000, 's'));
        server->setChunked("/chunked", {"abc", "def"});
        const InternetHandle session = internet->InternetOpen("vigilo");
        const InternetHandle sized =
            internet->InternetOpenUrl(session, server->url("/sized").toLatin1());
        QVERIFY(sized != 0);
        QCOMPARE(internet->contentLength(sized), 3000);
        const InternetHandle chunked =
            internet->InternetOpenUrl(session, server->url("/chunked").toLatin1());
        QVERIFY(chunked != 0);
        QCOMPARE(internet->contentLength(chunked), -1);
        QCOMPARE(internet->contentLength(session), -1);
        internet->InternetCloseHandle(session);
        QCOMPARE(internet->contentLength(sized), -1);
    }

    void agentIsTheProgramName() {
        server->setBody("/ua", "x");
        QVERIFY(rig->net.ReadUrl(server->url("/ua")));
        QVERIFY(server->lastRequestHeaders("/ua").contains("\r\nUser-Agent: vigilo\r\n"));
    }

    void writesTheBytesToAFileInsteadOfTheText() {
        QByteArray body;
        for (int i = 0; i < 5000; ++i)
            body.append(static_cast<char>(i % 256));
        server->setBody("/file", body);
        server->setBody("/page", "page text");
        QTemporaryDir dir;
        const QString path = dir.filePath("out.bin");
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(9000, 'o')); // longer than the page: must not survive
        old.close();
        QVERIFY(rig->net.ReadUrl(server->url("/page")));
        QVERIFY(rig->net.ReadUrl(server->url("/file"), path));
        QCOMPARE(rig->net.GetRawHTML(), QString());
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), body);
    }

    void outputFileThatCannotBeOpened() {
        server->setBody("/page", "page text");
        QVERIFY(rig->net.ReadUrl(server->url("/page")));
        QTemporaryDir dir;
        rig->status.texts.clear();
        rig->pointer.calls.clear();
        QVERIFY(!rig->net.ReadUrl(server->url("/page"), dir.filePath("missing/out.htm")));
        QCOMPARE(rig->net.GetLastError(), QStringLiteral("Path not found"));
        QVERIFY(!rig->net.ReadUrl(server->url("/page"), dir.path()));
        QCOMPARE(rig->net.GetLastError(), QStringLiteral("Path/File access error"));
        QVERIFY(!rig->net.ReadUrl(server->url("/page"), QString()));
        QCOMPARE(rig->net.GetLastError(), QStringLiteral("Bad file name or number"));
        // No "Ready" on this path, but the pointer comes back each time.
        QCOMPARE(rig->status.texts.filter("Ready").size(), 0);
        QCOMPARE(rig->pointer.calls,
                 (QStringList{"busy", "restore", "busy", "restore", "busy", "restore"}));
        QCOMPARE(server->requestCount("/page"), 1);
        QCOMPARE(rig->net.GetRawHTML(), QStringLiteral("page text"));
    }

    // The URL cannot be opened: the output file is closed again, not left open.
    void outputFileIsClosedWhenTheUrlFails() {
        QTemporaryDir dir;
        const QString path = dir.filePath("out.htm");
        QVERIFY(!rig->net.ReadUrl("http://nowhere.invalid/", path));
        QFile again(path);
        QVERIFY(again.open(QIODevice::ReadWrite));
        QCOMPARE(again.size(), 0);
    }

    // Ticks of the window's timer run while a page comes in.
    void windowEventsRunDuringARead() {
        server->setPieces("/slow", {QByteArray(3000, 'a'), QByteArray(3000, 'b')}, 100);
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start(5);
        QVERIFY(rig->net.ReadUrl(server->url("/slow")));
        QCOMPARE(rig->net.GetRawHTML().size(), 6000);
        QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
    }

    // A second read started from such an event does not corrupt the first.
    void readStartedFromAnEventDuringARead() {
        server->setPieces("/outer", {QByteArray(3000, 'o'), QByteArray(100, 'O')}, 150);
        server->setBody("/inner", "inner");
        bool inner = false;
        QTimer::singleShot(30, [&] { inner = rig->net.ReadUrl(server->url("/inner")); });
        QVERIFY(rig->net.ReadUrl(server->url("/outer")));
        QVERIFY(inner);
        QCOMPARE(rig->net.GetRawHTML(), QString(3000, 'o') + QString(100, 'O'));
        QCOMPARE(internet->openHandleCount(), 1);
    }

private:
    std::unique_ptr<HttpTestServer> server;
    std::unique_ptr<CurlInternet> internet;
    std::unique_ptr<FetcherRig> rig;
};

QTEST_MAIN(TestCNetGetReadUrl)
#include "tst_cnetget_readurl.moc"
