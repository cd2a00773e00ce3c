#include "monitor/monitor_view.h"
#include "monitor/period_monitor.h"
#include "platform/event_pump.h"
#include "platform/message_boxes.h"
#include "platform/window_alerts.h"

namespace {

// Only this much of a page's text is kept between scans.
constexpr qsizetype kKeptChars = 60000;

const QString kAppTitle = QStringLiteral("Vigilo");
const QString kLinkToken = QStringLiteral("A HREF=\"");
const QString kLinkDelimiters = QStringLiteral("\">?#");
const QString kSourceToken = QStringLiteral("SRC=\"");

} // namespace

void PeriodMonitor::ScanPage() {
    EventPump& events = services_.events;
    // Any failure but a failed download ends the scan silently; the tick
    // goes on with the address box and the browser.
    try {
        view_.resetScanLists(view_.singleUrl());
        // Only single mode scans, so the reference list holds one row, the
        // URL box's address; it is walked as the list it is all the same.
        for (int i = 0; i < view_.referenceCount(); ++i) {
            events.processEvents();
            const QString url = view_.selectReference(i);
            colLinks = KeyedCollection();
            colSources = KeyedCollection();
            if (!url.isEmpty()) {
                CNetGet& net = netGet();
                if (net.ReadUrl(url)) {
                    net.ParseHTML(kLinkToken, colLinks, kLinkDelimiters);
                    net.ParseHTML(kSourceToken, colSources);
                    CheckForUpdate();
                } else {
                    services_.messages.show(QStringLiteral("Error: ") + net.GetLastError(),
                                            kAppTitle);
                }
            }
            events.processEvents();
        }
    } catch (...) {
    }
}

// Only lengths are compared: pages that carry a clock or a counter in their
// text keep their length and must not ring the alert. The whole page's length
// counts, or every page past the kept head would look unchanged for ever.
void PeriodMonitor::CheckForUpdate() {
    try {
        CNetGet& net = netGet();
        // Only the head is kept: a page of hundreds of megabytes must not be
        // copied whole for the length of it. A read never exceeds 2 GiB.
        vPageText = net.GetRawHTMLHead(kKeptChars);
        lPageLength = static_cast<std::int32_t>(net.GetRawHTMLLength());
        if (lPageLength == lLastPageLength)
            return;
        sLastPageText = vPageText;
        lLastPageLength = lPageLength;
        // The sound may be off or muted and the window covered: the taskbar
        // entry shows the change until the user comes back.
        services_.alerts.alert(view_.alertedWindow());
        if (view_.soundWanted())
            view_.playSound();
    } catch (...) {
    }
}
