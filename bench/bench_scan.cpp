#include "bench_registry.h"

#include "fake_platform.h"
#include "http_test_server.h"
#include "mainwindow/form1.h"
#include "platform/qt_basic_services.h"
#include "platform/qt_internet.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QProcess>

#include <algorithm>
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

// The window on fakes, reading through the real internet layer from a
// loopback server in this same thread.
struct ScanRig {
    HttpTestServer server;
    QtInternet internet;
    QtBusyPointer pointer;
    QtEventPump events;
    FakePlatform fakes;
    std::unique_ptr<Form1> form;

    ScanRig() {
        Platform platform = fakes.platform();
        platform.internet = &internet;
        platform.pointer = &pointer;
        platform.events = &events;
        form = std::make_unique<Form1>(platform);
        form->Check1->setChecked(true);
    }
    ~ScanRig() { fakes.browser.widget()->setParent(nullptr); }

    double scanMs(const QString& path) {
        form->Text1->setText(server.url(path));
        QElapsedTimer clock;
        clock.start();
        form->ScanPage();
        return clock.nsecsElapsed() / 1e6;
    }
};

template <typename Work> double bestOf(int runs, Work&& work) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i)
        best = std::min(best, work());
    return best;
}

// curl's own total time for one download; the server answers from this
// thread, so the wait keeps the event loop running.
double curlMs(const QString& url) {
    QProcess curl;
    QEventLoop loop;
    QObject::connect(&curl, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&curl, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    curl.start(QStringLiteral("curl"),
               {QStringLiteral("-s"), QStringLiteral("-o"), QStringLiteral("/dev/null"),
                QStringLiteral("-w"), QStringLiteral("%{time_total}"), url});
    loop.exec();
    if (curl.exitStatus() != QProcess::NormalExit || curl.exitCode() != 0)
        return -1;
    return curl.readAllStandardOutput().trimmed().toDouble() * 1000.0;
}

} // namespace

VIGILO_BENCH(scan) {
    ScanRig rig;
    rig.server.setBody("/100kb", markupPage(100 * 1024));
    rig.server.setBody("/1mb", markupPage(1024 * 1024));
    rig.scanMs("/1mb"); // warm-up: connection set-up, first allocations

    report(QStringLiteral("scan_100kb_ms"), bestOf(5, [&] { return rig.scanMs("/100kb"); }));
    const double scan1mb = bestOf(5, [&] { return rig.scanMs("/1mb"); });
    report(QStringLiteral("scan_1mb_ms"), scan1mb);
    const double curl1mb = bestOf(5, [&] { return curlMs(rig.server.url("/1mb")); });
    report(QStringLiteral("curl_1mb_ms"), curl1mb);
    report(QStringLiteral("scan_vs_curl_ratio"), curl1mb > 0 ? scan1mb / curl1mb : -1);
}

// Where the time of one 1 MB scan goes, step by step, on the same reader.
VIGILO_BENCH(scan_breakdown) {
    ScanRig rig;
    rig.server.setBody("/1mb", markupPage(1024 * 1024));
    const QString url = rig.server.url("/1mb");
    CNetGet& net = *rig.form->objNetGet;
    net.ReadUrl(url);
    auto timed = [](auto&& step) {
        QElapsedTimer clock;
        clock.start();
        step();
        return clock.nsecsElapsed() / 1e6;
    };
    report(QStringLiteral("scan_1mb_read_ms"),
           bestOf(5, [&] { return timed([&] { net.ReadUrl(url); }); }));
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
           bestOf(5, [&] { return timed([&] { rig.form->CheckForUpdate(); }); }));
}

VIGILO_BENCH(scan_memory) {
    ScanRig rig;
    rig.server.setBody("/1mb", markupPage(1024 * 1024));
    for (int i = 0; i < 20; ++i)
        rig.scanMs("/1mb");
    const double before = residentMb();
    for (int i = 0; i < 1000; ++i)
        rig.scanMs("/1mb");
    report(QStringLiteral("rss_growth_1000_scans_mb"), residentMb() - before);
}
