#include "bench_registry.h"
#include "curl_timing.h"
#include "finished_reads.h"
#include "served_pages.h"

#include "fake_platform.h"
#include "fetcher/cnetget.h"
#include "http_test_server.h"
#include "platform/desktop/qt_busy_pointer.h"
#include "platform/desktop/qt_program_info.h"
#include "platform/internet/curl_page_reader.h"

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstring>
#include <random>

#include <time.h>

namespace {

// About 10 MB of ordinary markup with a link or a source every 100 to 200
// characters, a fixed sequence so runs compare.
QByteArray generatedPage(qsizetype size) {
    std::mt19937 random(2024);
    auto pick = [&](int low, int high) { return std::uniform_int_distribution(low, high)(random); };
    static const char* const words[] = {"news",   "the",    "update", "page",    "item",
                                        "latest", "report", "today",  "archive", "section"};
    QByteArray page = "<html><head><title>Generated</title></head><body>\n";
    page.reserve(size + 512);
    int n = 0;
    while (page.size() < size) {
        QByteArray filler;
        const int gap = pick(60, 150);
        while (filler.size() < gap) {
            filler += words[pick(0, 9)];
            filler += ' ';
        }
        ++n;
        switch (pick(0, 3)) {
        case 0:
            page += "<p class=\"text\">" + filler + "<A HREF=\"/articles/" + QByteArray::number(n) +
                    ".html\">more</A></p>\n";
            break;
        case 1:
            page += "<div>" + filler +
                    "<a href=\"https://example.com/s?id=" + QByteArray::number(n % 5000) +
                    "#top\">" + "link</a></div>\n";
            break;
        case 2:
            page += "<span>" + filler + "<img src=\"/images/pic" + QByteArray::number(n % 3000) +
                    ".png\" alt=\"pic\"></span>\n";
            break;
        default:
            page += "<li>" + filler + "<script SRC=\"/js/lib" + QByteArray::number(n % 40) +
                    ".js\"></script></li>\n";
            break;
        }
    }
    return page + "</body></html>\n";
}

double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Best of several runs in processor time of this thread, so that other work
// on a shared machine does not count against the code measured.
template <typename Work> double bestCpuSeconds(int runs, Work&& work) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const double start = threadSeconds();
        work();
        best = std::min(best, threadSeconds() - start);
    }
    return best;
}

// Best of several runs in wall-clock time: waiting on the network counts.
template <typename Work> double bestSeconds(int runs, Work&& work) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        work();
        best = std::min(best, static_cast<double>(clock.nsecsElapsed()) / 1e9);
    }
    return best;
}

} // namespace

// The scan's two extractions over a large page, against one plain counting
// pass over the same bytes and against one memchr pass for a byte the page
// lacks: the machine's own limit for reading the page.
VIGILO_BENCH(parsehtml) {
    const QByteArray page = generatedPage(10 * 1024 * 1024);
    FakePageReader reader;
    reader.pages["http://bench/"] = {page, 0, {}};
    QtBusyPointer pointer;
    QtProgramInfo program;
    CNetGet net(reader, pointer, program);
    net.Init();
    if (!readPage(net, QStringLiteral("http://bench/")))
        return;
    qsizetype found = 0;
    volatile qsizetype sink = 0;
    double parse = 1e30;
    double count = 1e30;
    double search = 1e30;
    char absent = 1;
    while (page.contains(absent))
        ++absent;
    // Read anew in each run, so the search cannot be hoisted out of the timing.
    const char* volatile bytes = page.constData();
    const void* volatile hit = nullptr;
    // Alternating rounds, so both see the same state of a shared machine.
    for (int round = 0; round < 9; ++round) {
        // Fresh collections each round, as each scan makes; freeing them is
        // no part of the extraction.
        KeyedCollection links;
        KeyedCollection sources;
        parse =
            std::min(parse, bestCpuSeconds(1, [&] {
                         net.ParseHTML(QStringLiteral("A HREF=\""), links, QStringLiteral("\">?#"));
                         net.ParseHTML(QStringLiteral("SRC=\""), sources);
                     }));
        found = links.count() + sources.count();
        count = std::min(
            count, bestCpuSeconds(1, [&] { sink = std::count(page.begin(), page.end(), '"'); }));
        search = std::min(search, bestCpuSeconds(1, [&] {
                              hit = std::memchr(bytes, absent, static_cast<size_t>(page.size()));
                          }));
    }
    const double chars = static_cast<double>(page.size());
    report(QStringLiteral("parsehtml_values_found"), static_cast<double>(found));
    report(QStringLiteral("parsehtml_mchars_per_s"), chars / parse / 1e6);
    report(QStringLiteral("parsehtml_mb_per_s"), chars / parse / (1024.0 * 1024.0));
    report(QStringLiteral("count_pass_mchars_per_s"), chars / count / 1e6);
    report(QStringLiteral("parsehtml_vs_count_ratio"), count / parse);
    report(QStringLiteral("memchr_mb_per_s"), chars / search / (1024.0 * 1024.0));
    report(QStringLiteral("parsehtml_vs_memchr_ratio"), search / parse);
}

// A fetcher on the real reader, and a loopback server to read from.
struct ReadRig {
    HttpTestServer server;
    CurlPageReader reader;
    QtBusyPointer pointer;
    QtProgramInfo program;
    CNetGet net{reader, pointer, program};
    ReadRig() { net.Init(); }
};

// The read alone, from ReadUrl to its result, against curl's own
// download of the same page from the same server on a thread of its own.
VIGILO_BENCH(readurl_vs_curl) {
    const QByteArray big = generatedPage(10 * 1024 * 1024);
    ServedPages pages({{"/1mb", big.left(1024 * 1024)}, {"/10mb", big}});
    ReadRig rig;
    CNetGet& net = rig.net;
    for (const auto& [path, name, runs] :
         {std::tuple{"/1mb", "1mb", 9}, std::tuple{"/10mb", "10mb", 7}}) {
        const QString url = pages.url(QString::fromLatin1(path));
        readPage(net, url); // warm-up: the connection, first allocations
        double read = 1e30;
        double curl = 1e30;
        // Alternating, so both see the same state of a shared machine.
        for (int i = 0; i < runs; ++i) {
            const double wall = bestSeconds(1, [&] { readPage(net, url); }) * 1000;
            read = std::min(read, wall);
            const double c = curlMs(url);
            if (c > 0)
                curl = std::min(curl, c);
        }
        // The same reads with no pause or other process between them.
        const double backToBack = bestSeconds(runs, [&] { readPage(net, url); }) * 1000;
        const QString prefix = QStringLiteral("readurl_") + QLatin1String(name);
        report(prefix + QStringLiteral("_served_ms"), read);
        report(prefix + QStringLiteral("_back_to_back_ms"), backToBack);
        report(QStringLiteral("curl_") + QLatin1String(name) + QStringLiteral("_served_ms"), curl);
        report(prefix + QStringLiteral("_vs_curl_ratio"), curl < 1e30 ? read / curl : -1);
    }
}

// Whole pages through the real internet layer from the loopback server.
VIGILO_BENCH(readurl) {
    ReadRig rig;
    HttpTestServer& server = rig.server;
    CNetGet& net = rig.net;
    const QByteArray big = generatedPage(10 * 1024 * 1024);
    server.setBody("/1mb", big.left(1024 * 1024));
    server.setBody("/10mb", big);
    const double one = bestSeconds(5, [&] { readPage(net, server.url("/1mb")); });
    const double ten = bestSeconds(3, [&] { readPage(net, server.url("/10mb")); });
    report(QStringLiteral("readurl_1mb_ms"), one * 1000);
    report(QStringLiteral("readurl_10mb_ms"), ten * 1000);
}

// A monitor left running re-reads its page at every period end: many reads
// in a row must not make the process grow.
VIGILO_BENCH(readurl_repeated) {
    ReadRig rig;
    HttpTestServer& server = rig.server;
    CNetGet& net = rig.net;
    server.setBody("/page", generatedPage(50 * 1024));
    for (int i = 0; i < 100; ++i) // let caches and pools settle first
        readPage(net, server.url("/page"));
    const double before = residentMb();
    int failures = 0;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 1000; ++i)
        failures += readPage(net, server.url("/page")) ? 0 : 1;
    const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    report(QStringLiteral("readurl_50kb_x1000_ms"), elapsed);
    report(QStringLiteral("readurl_x1000_failures"), failures);
    report(QStringLiteral("readurl_x1000_rss_growth_mb"), residentMb() - before);
}
