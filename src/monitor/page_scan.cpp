#include "monitor/monitor_log.h"
#include "monitor/monitor_view.h"
#include "monitor/period_monitor.h"
#include "monitor/status_texts.h"
#include "platform/desktop_notifications.h"
#include "platform/message_boxes.h"
#include "platform/web_browser.h"
#include "platform/window_alerts.h"

#include <exception>

namespace {

// Only this much of a page's text is kept between scans.
constexpr qsizetype kKeptChars = 60000;

const QString kAppTitle = QStringLiteral("Vigilo");
const QString kLinkToken = QStringLiteral("A HREF=\"");
const QString kLinkDelimiters = QStringLiteral("\">?#");
const QString kSourceToken = QStringLiteral("SRC=\"");

} // namespace

void PeriodMonitor::ScanPage(const QString& url) {
    reading_ = true;
    ++scans_;
    scannedUrl_ = url;
    view_.showScanStarted(url);
    colLinks = KeyedCollection();
    colSources = KeyedCollection();
    readTime_.start();
    periodEndAt_ = services_.now();
    netGet().ReadUrl(url);
}

void PeriodMonitor::scanFinished(bool ok) {
    if (!reading_)
        return; // a read of the fetcher's own, not a period end's
    readMs_ = readTime_.elapsed();
    if (!ok) {
        if (reportFailure())
            showScanned();
        return;
    }
    // The extractions take a huge page a stretch at a time, letting the
    // window's events run between stretches; a page of ordinary size is done
    // at once.
    if (netGet().ParseHTMLInStretches(
            {{kLinkToken, &colLinks, kLinkDelimiters}, {kSourceToken, &colSources, std::nullopt}}))
        pageParsed();
}

void PeriodMonitor::pageParsed() {
    if (!reading_)
        return;
    checkPage();
    showScanned();
}

// Any failure here ends the scan silently; the page is shown all the same.
void PeriodMonitor::checkPage() {
    try {
        const std::int32_t reference = lLastPageLength;
        CheckForUpdate();
        const bool changed = lPageLength != reference;
        qCInfo(lcMonitor).noquote().nospace()
            << "Checked " << scannedUrl_ << ": " << lPageLength << " characters, "
            << (changed ? "a REAL site update" : "no change") << ", read in " << readMs_ << " ms";
        view_.showStatus(statustexts::check({.at = periodEndAt_,
                                             .read = true,
                                             .changed = changed,
                                             .length = lPageLength,
                                             .error = {},
                                             .lastChange = lastChange_,
                                             .next = nextPeriodEnd(periodEndAt_)}));
    } catch (const std::exception& e) {
        qCWarning(lcMonitor).noquote()
            << "The scan of" << scannedUrl_ << "ended early:" << e.what();
    } catch (...) {
        qCWarning(lcMonitor).noquote() << "The scan of" << scannedUrl_ << "ended early.";
    }
}

// Says why the read failed, and waits for OK. Returns whether the period end
// goes on: ticks run while the box waits, and one of them may stop the
// monitor, after which nothing more of this period end follows.
bool PeriodMonitor::reportFailure() {
    const QString error = netGet().GetLastError();
    qCInfo(lcMonitor).noquote().nospace()
        << "Checked " << scannedUrl_ << ": Error: " << error << " (after " << readMs_ << " ms)";
    view_.showStatus(statustexts::check({.at = periodEndAt_,
                                         .read = false,
                                         .changed = false,
                                         .length = 0,
                                         .error = error,
                                         .lastChange = lastChange_,
                                         .next = nextPeriodEnd(periodEndAt_)}));
    const quint64 scan = scans_;
    try {
        services_.messages.show(QStringLiteral("Error: ") + error, kAppTitle);
    } catch (const std::exception& e) {
        qCWarning(lcMonitor).noquote() << "The error box failed:" << e.what();
    } catch (...) {
        qCWarning(lcMonitor).noquote() << "The error box failed.";
    }
    return reading_ && scan == scans_;
}

void PeriodMonitor::showScanned() {
    reading_ = false;
    try {
        // Ticks may have moved the current URL on (a random pick); what is
        // shown is the page that was scanned.
        sCurrentUrl = scannedUrl_;
        view_.showInAddressBox(scannedUrl_);
        services_.browser.Navigate(scannedUrl_);
    } catch (const std::exception& e) {
        qCWarning(lcMonitor).noquote()
            << "Stopped: the page scanned could not be shown:" << e.what();
        stopRunning();
    } catch (...) {
        qCWarning(lcMonitor).noquote() << "Stopped: the page scanned could not be shown.";
        stopRunning();
    }
}

void PeriodMonitor::abandonScan() {
    if (!reading_)
        return;
    reading_ = false;
    if (objNetGet) {
        objNetGet->CancelParse();
        objNetGet->CancelRead();
    }
    qCInfo(lcMonitor).noquote() << "The read of" << scannedUrl_ << "is abandoned.";
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
        lastChange_ = periodEndAt_;
        // The sound may be off or muted and the window covered: the taskbar
        // entry shows the change until the user comes back, and the desktop
        // tells of it, to screen reader users too.
        services_.alerts.alert(view_.alertedWindow());
        services_.notifications.notifyChange(scannedUrl_, periodEndAt_);
        if (view_.soundWanted())
            view_.playSound();
    } catch (const std::exception& e) {
        qCWarning(lcMonitor).noquote() << "The change test failed:" << e.what();
    } catch (...) {
        qCWarning(lcMonitor).noquote() << "The change test failed.";
    }
}
