#include "monitor/monitor_view.h"
#include "monitor/period_monitor.h"
#include "platform/message_boxes.h"
#include "platform/web_browser.h"

#include <stdexcept>

void PeriodMonitor::stopRunning() {
    view_.disarmTimer();
}

int PeriodMonitor::drawIndex(int count) {
    return static_cast<int>(count * services_.random());
}

// Picks an entry of the random list other than the previous pick. Returns
// false when the tick must end without navigating.
bool PeriodMonitor::pickRandomUrl() {
    const int count = view_.randomListCount();
    int pick = drawIndex(count);
    while (pick == vLastPick.value_or(0)) {
        if (view_.randomListCount() < 2) {
            // Stopped before the box opens: ticks arriving while it is open
            // must not stack up further boxes.
            stopRunning();
            services_.messages.show(QStringLiteral("Random list to small stopping timer.."),
                                    QStringLiteral("hey..."));
            return false;
        }
        pick = drawIndex(count);
    }
    if (pick < 0 || pick >= view_.randomListCount())
        throw std::out_of_range("random pick outside the list");
    view_.showRandomPick(pick);
    vLastPick = pick;
    // The entry itself: the box's edit field cuts a longer text short.
    sCurrentUrl = view_.randomListEntry(pick);
    if (sCurrentUrl.isEmpty())
        return false;
    view_.showInAddressBox(sCurrentUrl);
    return true;
}

// Returns false when a scan is already running and this period end must pass.
bool PeriodMonitor::scanSingleUrl() {
    if (bBusy)
        return false;
    // Events run during the scan and may move sCurrentUrl on (a random pick);
    // what is shown afterwards is the page that was scanned.
    const QString url = sCurrentUrl;
    bBusy = true;
    try {
        ScanPage();
    } catch (...) {
        bBusy = false;
        throw;
    }
    bBusy = false;
    sCurrentUrl = url;
    view_.showInAddressBox(url);
    return true;
}

void PeriodMonitor::tick() {
    try {
        if (lCountdown != 0) {
            --lCountdown;
            view_.showCountdown(QStringLiteral("min") + QString::number(lCountdown));
            return;
        }
        lCountdown = lPeriodTicks;

        bool navigate = false;
        if (view_.singleUrlMode()) {
            sCurrentUrl = view_.singleUrl();
            navigate = sCurrentUrl.isEmpty() ? pickRandomUrl() : scanSingleUrl();
        } else {
            // Random mode draws from the list whatever the URL box holds.
            navigate = pickRandomUrl();
        }
        if (navigate)
            services_.browser.Navigate(sCurrentUrl);
    } catch (...) {
        stopRunning();
    }
}
