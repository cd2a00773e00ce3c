#include "bench_registry.h"

#include "fake_platform.h"
#include "mainwindow/form1.h"
#include "widgets/interval_timer.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int kPeriodEnds = 100000;

// An ordinary small page with links and sources, the same at every read.
QByteArray unchangingPage() {
    QByteArray page = "<html><head><title>News</title></head><body>\n";
    for (int i = 0; i < 40; ++i)
        page += "<p><A HREF=\"/news/" + QByteArray::number(i) + ".htm\">item " +
                QByteArray::number(i) + "</A> <img SRC=\"/pic/" + QByteArray::number(i) +
                ".png\"></p>\n";
    return page + "</body></html>\n";
}

// The fakes keep a log of every call; it is emptied now and then so that
// only the window's own memory is counted. Returns the pages read meanwhile.
qsizetype forgetCalls(FakePlatform& fakes) {
    const qsizetype reads = fakes.reader.requests.size();
    fakes.browser.calls.clear();
    fakes.browser.navigated.clear();
    fakes.reader.requests.clear();
    fakes.pointer.calls.clear();
    fakes.alerts.alerted.clear();
    return reads;
}

} // namespace

// A week and more at "10 sec" on a page that never changes: the window, shown
// on fakes, single mode, each period end a download, a scan and the address
// box. The figure is how much the resident memory grew over the run.
VIGILO_BENCH(period_ends) {
    FakePlatform fakes;
    const QByteArray url = "http://watched.example/news.htm";
    fakes.reader.pages.insert(url, PageResult{unchangingPage(), 0, {}});
    Form1 f(fakes.platform());
    f.show();
    QApplication::processEvents();
    f.Text1->setText(QString::fromLatin1(url));
    f.Combo1->setEditText(QStringLiteral("10 sec"));
    f.Command1_Click();
    // The bench calls the period ends itself, back to back.
    f.Timer1->setEnabled(false);
    // Each period end is the tick and the read's result, which the fake
    // reader hands over from the event loop.
    auto periodEnd = [&f] {
        f.Timer1_Timer();
        QApplication::processEvents();
    };
    // The first ends allocate what every later one reuses.
    for (int i = 0; i < 10; ++i)
        periodEnd();
    forgetCalls(fakes);
    const double before = residentMb();
    qsizetype reads = 0;
    for (int i = 1; i <= kPeriodEnds; ++i) {
        periodEnd();
        if (i % 1000 == 0)
            reads += forgetCalls(fakes);
    }
    QApplication::processEvents();
    const double growth = residentMb() - before;
    if (reads != kPeriodEnds || f.Command1->text() != QLatin1String("Stop"))
        qWarning("period_ends: %lld of %d period ends read the page", static_cast<long long>(reads),
                 kPeriodEnds);
    report(QStringLiteral("period_ends_100000_rss_growth_mb"), growth);
}
