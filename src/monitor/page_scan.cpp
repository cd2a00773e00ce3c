#include "monitor/monitor_view.h"
#include "monitor/period_monitor.h"
#include "platform/event_pump.h"
#include "platform/message_boxes.h"
#include "platform/window_alerts.h"

namespace {

// Only this much of a page takes part in the change test.
constexpr qsizetype kComparedChars = 60000;

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
// text keep their length and must not ring the alert.
void PeriodMonitor::CheckForUpdate() {
    try {
        // Only the head is converted: a page of hundreds of megabytes must
        // not be copied whole to keep 60000 characters of it.
        vPageText = netGet().GetRawHTMLHead(kComparedChars);
        if (vPageText.size() == sLastPageText.size())
            return;
        sLastPageText = vPageText;
        // The sound may be off or muted and the window covered: the taskbar
        // entry shows the change until the user comes back.
        services_.alerts.alert(view_.alertedWindow());
        if (view_.soundWanted())
            view_.playSound();
    } catch (...) {
    }
}
