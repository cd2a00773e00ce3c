#include "monitor/period_monitor.h"

#include "monitor/interval_table.h"
#include "monitor/monitor_view.h"
#include "platform/message_boxes.h"

#include <utility>

PeriodMonitor::PeriodMonitor(MonitorView& view, MonitorServices services)
    : view_(view), services_(std::move(services)) {}

CNetGet& PeriodMonitor::netGet() {
    if (!objNetGet)
        objNetGet = std::make_unique<CNetGet>(services_.internet, services_.pointer,
                                              services_.events, services_.program);
    return *objNetGet;
}

void PeriodMonitor::prepare() {
    bBusy = false;
    netGet().Init();
}

// The caption is the running indicator: anything but "Start" means running.
void PeriodMonitor::startOrStop() {
    if (view_.offersStart())
        start();
    else
        stop();
}

void PeriodMonitor::start() {
    MessageBoxes& messages = services_.messages;
    const QString interval = view_.intervalCaption();
    if (interval.isEmpty()) {
        messages.show(QStringLiteral("Select an Timer Interval!"), QStringLiteral("No Interval"));
        return;
    }
    // Random mode needs two entries to alternate between; fall back before the
    // interval is even looked at.
    if (view_.randomListCount() < 2)
        view_.fallBackToSingleUrlMode();
    const std::optional<IntervalRow> row = findInterval(interval);
    if (!row) {
        messages.show(QStringLiteral("No valid timer interval"),
                      QStringLiteral("No valid interval"));
        return;
    }
    lPeriodTicks = row->reloadTicks;
    lCountdown = row->reloadTicks;
    sCurrentUrl = view_.singleUrl();
    view_.armTimer(row->timerMs);
}

void PeriodMonitor::stop() {
    view_.disarmTimer();
    lPeriodTicks = 0;
}
