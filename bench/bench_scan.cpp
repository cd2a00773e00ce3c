#include "bench_registry.h"
#include "curl_timing.h"
#include "finished_reads.h"

#include "fake_platform.h"
#include "http_test_server.h"
#include "mainwindow/form1.h"
#include "platform/desktop/qt_busy_pointer.h"
#include "platform/internet/curl_page_reader.h"
#include "served_pages.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

// Markup of about `size` bytes: a link or a source every 150 characters or
// so, the same targets coming back now and then, as on a news front page.
QByteArray markupPage(qsizetype size) {
    static const QByteArray filler =
        "latest news of the day, the weather, the markets and the results of last night ";
    QByteArray page = "<html><body>\n";
    page.reserve(size + 256);
    for (int n = 0; page.size() < size; ++n) {
        const QByteArray id = QByteArray::number(n % 2500);
        switch (n % 3) {
        case 0:
            page += "<p>" + filler + "<A HREF=\"/articles/" + id + ".html\">more</A></p>\n";
            break;
        case 1:
            page += "<div>" + filler + "<a href=\"https://example.com/s?id=" + id +
                    "#top\">x</a></div>\n";
            break;
        default:
            page += "<span>" + filler + "<img src=\"/images/pic" + id + ".png\"></span>\n";
            break;
        }
    }
    page.truncate(size);
    return page;
}

// Where the loopback server runs. On a thread of its own it works beside the
// scan, as it works beside curl's own process and as a remote server would:
// that is the fair comparison with curl. In this same thread its writing
// counts in the scan's time but no thread has to wake the other, which is how
// the earlier figures were taken.
enum class Serving { OwnThread, InThread };

// The window on fakes, reading through the real reader from a loopback
// server.
struct ScanRig {
    std::unique_ptr<HttpTestServer> local;
    std::unique_ptr<ServedPages> served;
    CurlPageReader reader;
    QtBusyPointer pointer;
    FakePlatform fakes;
    std::unique_ptr<Form1> form;

    explicit ScanRig(const QHash<QString, QByteArray>& bodies,
                     Serving serving = Serving::InThread) {
        if (serving == Serving::OwnThread) {
            served = std::make_unique<ServedPages>(bodies);
        } else {
            local = std::make_unique<HttpTestServer>();
            for (auto it = bodies.cbegin(); it != bodies.cend(); ++it)
                local->setBody(it.key(), it.value());
        }
        Platform platform = fakes.platform();
        platform.reader = &reader;
        platform.pointer = &pointer;
        form = std::make_unique<Form1>(platform);
        form->Check1->setChecked(true);
    }
    ~ScanRig() { fakes.browser.widget()->setParent(nullptr); }

    QString url(const QString& path) const { return served ? served->url(path) : local->url(path); }
    double scanMs(const QString& path) { return scanUrlMs(url(path)); }
    // A period end on `url`, from its tick to the end of its scan.
    double scanUrlMs(const QString& url) {
        form->Text1->setText(url);
        QElapsedTimer clock;
        clock.start();
        untilScanEnds(form->monitor(), [&] { form->Timer1_Timer(); });
        return static_cast<double>(clock.nsecsElapsed()) / 1e6;
    }
};

template <typename Work> double bestOf(int runs, Work&& work) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i)
        best = std::min(best, work());
    return best;
}

constexpr qsizetype kMb = 1024 * 1024;

// The scan's figures against curl's, both reading from the same server.
// `where` goes into each name before its unit.
void scanAgainstCurl(const BenchReport& report, Serving serving, const char* where) {
    ScanRig rig({{"/100kb", markupPage(100 * 1024)},
                 {"/1mb", markupPage(kMb)},
                 {"/10mb", markupPage(10 * kMb)}},
                serving);
    rig.scanMs("/1mb"); // warm-up: connection set-up, first allocations
    auto figure = [&](const char* name, const char* unit, double value) {
        report(QLatin1String(name) + QLatin1String(where) + QLatin1String(unit), value);
    };
    figure("scan_100kb", "_ms", bestOf(5, [&] { return rig.scanMs("/100kb"); }));
    const double scan1mb = bestOf(5, [&] { return rig.scanMs("/1mb"); });
    figure("scan_1mb", "_ms", scan1mb);
    const double curl1mb = bestOf(5, [&] { return curlMs(rig.url("/1mb")); });
    figure("curl_1mb", "_ms", curl1mb);
    figure("scan_vs_curl", "_ratio", curl1mb > 0 ? scan1mb / curl1mb : -1);
    const double scan10mb = bestOf(3, [&] { return rig.scanMs("/10mb"); });
    figure("scan_10mb", "_ms", scan10mb);
    const double curl10mb = bestOf(3, [&] { return curlMs(rig.url("/10mb")); });
    figure("curl_10mb", "_ms", curl10mb);
    figure("scan_10mb_vs_curl", "_ratio", curl10mb > 0 ? scan10mb / curl10mb : -1);
}

} // namespace

VIGILO_BENCH(scan) {
    scanAgainstCurl(report, Serving::OwnThread, "");
    scanAgainstCurl(report, Serving::InThread, "_in_thread");
}

// Where the time of one 1 MB scan goes, step by step, on the same reader.
VIGILO_BENCH(scan_breakdown) {
    ScanRig rig({{"/1mb", markupPage(kMb)}});
    const QString url = rig.url("/1mb");
    CNetGet& net = *rig.form->monitor().objNetGet;
    readPage(net, url);
    auto timed = [](auto&& step) {
        QElapsedTimer clock;
        clock.start();
        step();
        return static_cast<double>(clock.nsecsElapsed()) / 1e6;
    };
    report(QStringLiteral("scan_1mb_read_ms"),
           bestOf(5, [&] { return timed([&] { readPage(net, url); }); }));
    report(QStringLiteral("scan_1mb_links_ms"), bestOf(5, [&] {
               KeyedCollection links;
               return timed([&] {
                   net.ParseHTML(QStringLiteral("A HREF=\""), links, QStringLiteral("\">?#"));
               });
           }));
    report(QStringLiteral("scan_1mb_sources_ms"), bestOf(5, [&] {
               KeyedCollection sources;
               return timed([&] { net.ParseHTML(QStringLiteral("SRC=\""), sources); });
           }));
    report(QStringLiteral("scan_1mb_change_test_ms"),
           bestOf(5, [&] { return timed([&] { rig.form->monitor().CheckForUpdate(); }); }));
}

VIGILO_BENCH(scan_memory) {
    ScanRig rig({{"/1mb", markupPage(kMb)}});
    for (int i = 0; i < 20; ++i)
        rig.scanMs("/1mb");
    const double before = residentMb();
    for (int i = 0; i < 1000; ++i)
        rig.scanMs("/1mb");
    report(QStringLiteral("rss_growth_1000_scans_mb"), residentMb() - before);
}

// The memory of one scan of a huge page. The page is served by one child
// process and scanned in another, so that the scan's peak is neither hidden
// under the peaks of earlier benches nor mixed with the served copy, and this
// process's own peak stays that of the other benches.
VIGILO_BENCH(scan_huge) {
    const QString self = QCoreApplication::applicationFilePath();
    QProcess server;
    server.start(self, {QStringLiteral("scan_huge_server")});
    QByteArray url;
    while (!url.startsWith("url ") && server.waitForReadyRead(120000))
        while (server.canReadLine() && !url.startsWith("url "))
            url = server.readLine().trimmed();
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VIGILO_BENCH_URL"), QString::fromLatin1(url.mid(4)));
    child.setProcessEnvironment(environment);
    child.start(self, {QStringLiteral("scan_huge_child")});
    QHash<QByteArray, double> figures;
    if (url.startsWith("url ") && child.waitForFinished(600000) && child.exitCode() == 0) {
        for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
            const qsizetype colon = line.indexOf(':');
            if (colon > 0)
                figures.insert(line.left(colon), line.mid(colon + 1).trimmed().toDouble());
        }
    }
    server.closeWriteChannel(); // the server's cue to end
    server.waitForFinished(60000);
    // -1: a child failed; a head of 0 characters: the page was not read.
    report(QStringLiteral("scan_200mb_ms"), figures.value("scan_huge_ms", -1));
    report(QStringLiteral("scan_200mb_head_chars"), figures.value("scan_huge_head_chars", -1));
    report(QStringLiteral("scan_200mb_rss_before_mb"),
           figures.value("scan_huge_rss_before_mb", -1));
    report(QStringLiteral("scan_200mb_peak_rss_mb"), figures.value("scan_huge_peak_rss_mb", -1));
    report(QStringLiteral("scan_200mb_longest_hold_ms"),
           figures.value("scan_huge_longest_hold_ms", -1));
    // The next scan of the same page lets the last one go once its answer
    // begins.
    report(QStringLiteral("scan_200mb_rescan_peak_rss_mb"),
           figures.value("scan_huge_rescan_peak_rss_mb", -1));
}

// The serving half of scan_huge: prints its address, serves until its input
// closes.
VIGILO_BENCH_WHEN_NAMED(scan_huge_server) {
    ServedPages pages({{"/200mb", markupPage(200 * kMb)}});
    std::printf("url %s\n", qPrintable(pages.url("/200mb")));
    std::fflush(stdout);
    char byte;
    while (std::fread(&byte, 1, 1, stdin) == 1) {
    }
    report(QStringLiteral("scan_huge_server_done"), 1);
}

// The child half of scan_huge: the window, no server, one page to scan twice.
VIGILO_BENCH_WHEN_NAMED(scan_huge_child) {
    ScanRig rig({});
    const QString url = qEnvironmentVariable("VIGILO_BENCH_URL");
    report(QStringLiteral("scan_huge_rss_before_mb"), residentMb());
    // How long window events wait at most while the page is read and scanned:
    // the longest gap between the ticks of a timer that asks for one each
    // millisecond.
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, sinceTick.nsecsElapsed());
        sinceTick.restart();
    });
    heartbeat.start(1);
    sinceTick.start();
    report(QStringLiteral("scan_huge_ms"), rig.scanUrlMs(url));
    // The scan's last stretch ends with no tick after it.
    longestGap = std::max(longestGap, sinceTick.nsecsElapsed());
    heartbeat.stop();
    report(QStringLiteral("scan_huge_longest_hold_ms"), static_cast<double>(longestGap) / 1e6);
    report(QStringLiteral("scan_huge_peak_rss_mb"), processMemoryMb("VmHWM"));
    report(QStringLiteral("scan_huge_head_chars"),
           static_cast<double>(rig.form->monitor().vPageText.size()));
    rig.scanUrlMs(url);
    report(QStringLiteral("scan_huge_rescan_peak_rss_mb"), processMemoryMb("VmHWM"));
}
