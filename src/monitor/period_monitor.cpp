#include "monitor/period_monitor.h"

#include "monitor/interval_table.h"
#include "monitor/monitor_log.h"
#include "monitor/monitor_view.h"
#include "monitor/status_texts.h"
#include "platform/message_boxes.h"

#include <utility>

PeriodMonitor::PeriodMonitor(MonitorView& view, MonitorServices services, QObject* parent)
    : QObject(parent), view_(view), services_(std::move(services)) {
    connect(&timer_, &IntervalTimer::timeout, this, &PeriodMonitor::tick);
}

PeriodMonitor::~PeriodMonitor() = default;

CNetGet& PeriodMonitor::netGet() {
    if (!objNetGet) {
        objNetGet =
            std::make_unique<CNetGet>(services_.reader, services_.pointer, services_.program);
        connect(objNetGet.get(), &CNetGet::readFinished, this, &PeriodMonitor::scanFinished);
        connect(objNetGet.get(), &CNetGet::parsed, this, &PeriodMonitor::pageParsed);
    }
    return *objNetGet;
}

void PeriodMonitor::prepare() {
    netGet().Init();
    view_.showStatus(statustexts::stopped());
}

void PeriodMonitor::startOrStop() {
    if (running_)
        stop();
    else
        start();
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
    if (view_.randomList().size() < 2)
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
    timer_.setInterval(row->timerMs);
    setRunning(true);
    const QDateTime now = services_.now();
    view_.showStatus(statustexts::started(now, *nextPeriodEnd(now)));
    qCInfo(lcMonitor).noquote().nospace() << "Started: every " << interval << ", "
                                          << (view_.singleUrlMode() && !sCurrentUrl.isEmpty()
                                                  ? QStringLiteral("watching ") + sCurrentUrl
                                                  : QStringLiteral("touring the random list"));
}

void PeriodMonitor::stop() {
    stopRunning();
    lPeriodTicks = 0;
    qCInfo(lcMonitor).noquote() << "Stopped.";
}

// Whatever stops the monitor also abandons the read under way: nothing of a
// period end may follow once the user sees the monitor stopped.
void PeriodMonitor::stopRunning() {
    setRunning(false);
    abandonScan();
    view_.showStatus(statustexts::stopped());
}

// Ticks are counted from the period end: the next one comes after the
// countdown and one acting tick more.
std::optional<QDateTime> PeriodMonitor::nextPeriodEnd(const QDateTime& at) const {
    if (!running_)
        return std::nullopt;
    return at.addMSecs(qint64{timer_.interval()} * (qint64{lPeriodTicks} + 1));
}

void PeriodMonitor::setRunning(bool running) {
    timer_.setEnabled(running);
    if (running_ == running)
        return;
    running_ = running;
    view_.showRunning(running);
    emit runningChanged(running);
}
