#pragma once

#include "fetcher/cnetget.h"
#include "fetcher/keyed_collection.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class BusyPointer;
class EventPump;
class InternetApi;
class MessageBoxes;
class MonitorView;
class ProgramInfo;
class WebBrowser;
class WindowAlerts;

// The services of the machine the monitor uses.
struct MonitorServices {
    InternetApi& internet;
    BusyPointer& pointer;
    EventPump& events;
    const ProgramInfo& program;
    MessageBoxes& messages;
    WebBrowser& browser;
    WindowAlerts& alerts;
    // A uniform fraction in [0, 1), drawn for each random pick.
    std::function<double()> random;
};

// The update monitor: Start and Stop, the countdown of each interval and what
// happens at a period end (period_end.cpp): in single mode a scan of the
// watched page and its change test (page_scan.cpp), with the URL box empty
// or in random mode a random pick from the list. It reaches the window only
// through its view.
class PeriodMonitor {
public:
    PeriodMonitor(MonitorView& view, MonitorServices services);

    // At start-up: no scan running, and the reader's internet session open.
    void prepare();
    // The Start/Stop button.
    void startOrStop();
    // One tick of the timer: counts down, or at a period end acts.
    void tick();
    // Reads the watched page and runs the change test on it.
    void ScanPage();
    // The change test: the page's length against that of the page of the
    // last real update.
    void CheckForUpdate();

    // The monitor's state: lives as long as the window, never saved.
    std::unique_ptr<CNetGet> objNetGet;
    KeyedCollection colLinks;
    KeyedCollection colSources;
    std::int32_t lPeriodTicks = 0;
    std::int32_t lCountdown = 0;
    QString sCurrentUrl;
    std::optional<int> vLastPick; // no value compares equal to index 0
    bool bBusy = false;
    // The page's head and its whole length, and the same of the page of the
    // last real update: a change of length anywhere in the page counts.
    QString vPageText;
    std::int32_t lPageLength = 0;
    QString sLastPageText;
    std::int32_t lLastPageLength = 0;

private:
    CNetGet& netGet(); // creates objNetGet on first use
    void start();
    void stop();
    void stopRunning();
    int drawIndex(int count);
    bool pickRandomUrl();
    bool scanSingleUrl();

    MonitorView& view_;
    MonitorServices services_;
};
