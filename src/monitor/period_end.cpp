#include "monitor/monitor_log.h"
#include "monitor/monitor_view.h"
#include "monitor/period_monitor.h"
#include "monitor/status_texts.h"
#include "platform/message_boxes.h"
#include "platform/web_browser.h"

#include <exception>
#include <stdexcept>

int PeriodMonitor::drawIndex(int count) {
    return static_cast<int>(count * services_.random());
}

// Picks an entry of the random list other than the previous pick. Returns
// false when the tick must end without navigating.
bool PeriodMonitor::pickRandomUrl() {
    const QStringList list = view_.randomList();
    const int count = static_cast<int>(list.size());
    int pick = drawIndex(count);
    while (pick == vLastPick.value_or(0)) {
        if (count < 2) {
            // Stopped before the box opens: ticks arriving while it is open
            // must not stack up further boxes.
            stopRunning();
            qCInfo(lcMonitor).noquote() << "Stopped: the random list holds" << count << "entries.";
            services_.messages.show(QStringLiteral("Random list to small stopping timer.."),
                                    QStringLiteral("hey..."));
            return false;
        }
        pick = drawIndex(count);
    }
    if (pick < 0 || pick >= count)
        throw std::out_of_range("random pick outside the list");
    view_.showRandomPick(pick);
    vLastPick = pick;
    sCurrentUrl = list.at(pick);
    if (sCurrentUrl.isEmpty()) {
        qCInfo(lcMonitor).noquote() << "Random pick" << pick << "is empty: nothing is shown.";
        return false;
    }
    view_.showInAddressBox(sCurrentUrl);
    qCInfo(lcMonitor).noquote().nospace() << "Random pick " << pick << ": " << sCurrentUrl;
    const QDateTime now = services_.now();
    view_.showStatus(statustexts::pick(sCurrentUrl, now, nextPeriodEnd(now)));
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

        if (view_.singleUrlMode()) {
            sCurrentUrl = view_.singleUrl();
            if (!sCurrentUrl.isEmpty()) {
                if (reading_)
                    qCInfo(lcMonitor).noquote()
                        << "Period end passes: still reading" << scannedUrl_;
                else
                    ScanPage(sCurrentUrl);
                return;
            }
        }
        // Random mode, or single mode with the URL box empty, draws from the
        // list whatever the URL box holds.
        if (pickRandomUrl())
            services_.browser.Navigate(sCurrentUrl);
    } catch (const std::exception& e) {
        qCWarning(lcMonitor).noquote() << "Stopped: a period end failed:" << e.what();
        stopRunning();
    } catch (...) {
        qCWarning(lcMonitor).noquote() << "Stopped: a period end failed.";
        stopRunning();
    }
}
