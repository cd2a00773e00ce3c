#pragma once

#include "fetcher/cnetget.h"
#include "fetcher/keyed_collection.h"
#include "widgets/interval_timer.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class BusyPointer;
class DesktopNotifications;
class MessageBoxes;
class MonitorView;
class PageReader;
class ProgramInfo;
class WebBrowser;
class WindowAlerts;

// The services of the machine the monitor uses.
struct MonitorServices {
    PageReader& reader;
    BusyPointer& pointer;
    const ProgramInfo& program;
    MessageBoxes& messages;
    WebBrowser& browser;
    WindowAlerts& alerts;
    DesktopNotifications& notifications;
    // A uniform fraction in [0, 1), drawn for each random pick.
    std::function<double()> random;
    // The clock the status line tells the time by.
    std::function<QDateTime()> now;
};

// The update monitor: Start and Stop, the countdown of each interval and what
// happens at a period end (period_end.cpp): in single mode a scan of the
// watched page and its change test (page_scan.cpp), with the URL box empty
// or in random mode a random pick from the list. It owns its timer and two
// flags: running (the timer is on) and reading (a period end's page is being
// read, or its failure reported). A period end splits at the read: the tick
// starts it, and its result runs the extraction, the change test, the sound,
// the address box and the navigation. It reaches the window only through its
// view.
class PeriodMonitor : public QObject {
    Q_OBJECT
public:
    PeriodMonitor(MonitorView& view, MonitorServices services, QObject* parent = nullptr);
    ~PeriodMonitor() override; // a read under way is abandoned

    // At start-up: the reader's session open.
    void prepare();
    // The Start/Stop button.
    void startOrStop();
    // One tick of the timer: counts down, or at a period end acts.
    void tick();
    // The change test: the page's length against that of the page of the
    // last real update.
    void CheckForUpdate();

    bool running() const { return running_; }
    // A period end's read is under way (or its failure on screen): another
    // period end in single mode passes.
    bool bBusy() const { return reading_; }
    // The timer the window knows as Timer1.
    IntervalTimer& timer() { return timer_; }

    // The monitor's state: lives as long as the window, never saved.
    std::unique_ptr<CNetGet> objNetGet;
    KeyedCollection colLinks;
    KeyedCollection colSources;
    std::int32_t lPeriodTicks = 0;
    std::int32_t lCountdown = 0;
    QString sCurrentUrl;
    std::optional<int> vLastPick; // no value compares equal to index 0
    // The page's head and its whole length, and the same of the page of the
    // last real update: a change of length anywhere in the page counts.
    QString vPageText;
    std::int32_t lPageLength = 0;
    QString sLastPageText;
    std::int32_t lLastPageLength = 0;

signals:
    // Start, Stop, or a stop of the monitor's own.
    void runningChanged(bool running);

private:
    CNetGet& netGet(); // creates objNetGet on first use
    void start();
    void stop();
    // A stop of the monitor's own (a failure, too small a random list):
    // the interval stays as it was.
    void stopRunning();
    void setRunning(bool running);
    int drawIndex(int count);
    // When the period end after the one that began at `at` comes, while the
    // monitor runs.
    std::optional<QDateTime> nextPeriodEnd(const QDateTime& at) const;
    bool pickRandomUrl();
    // Starts reading the watched page; the rest of the period end follows
    // in scanFinished.
    void ScanPage(const QString& url);
    void scanFinished(bool ok);
    void pageParsed();
    // The change test on the page read and scanned.
    void checkPage();
    bool reportFailure();
    // Abandons the read under way: no box, no sound, no navigation follow.
    void abandonScan();
    // The end of a scan that was not abandoned meanwhile: the address box and
    // the browser show the page scanned.
    void showScanned();

    MonitorView& view_;
    MonitorServices services_;
    IntervalTimer timer_{this};
    bool running_ = false;
    bool reading_ = false;
    quint64 scans_ = 0;  // scans begun, to tell one from the next
    QString scannedUrl_; // the page the scan under way reads
    QElapsedTimer readTime_;
    qint64 readMs_ = 0;                   // how long the read took
    QDateTime periodEndAt_;               // when the scan under way began
    std::optional<QDateTime> lastChange_; // when the last real update was seen
};
