#pragma once

#include "fake_platform.h"
#include "monitor/monitor_view.h"
#include "monitor/period_monitor.h"

#include <QWidget>

// A window reduced to the monitor's view: what the monitor reads from it,
// and, in order, every change it makes there.
class ScriptedView : public MonitorView {
public:
    QString interval = QStringLiteral("10 sec");
    QString url;
    bool single = true;
    bool sound = false;
    QStringList list;
    QWidget window;
    QStringList changes;
    QStringList statuses; // every status line shown, in order

    QString intervalCaption() const override { return interval; }
    QString singleUrl() const override { return url; }
    bool singleUrlMode() const override { return single; }
    void fallBackToSingleUrlMode() override {
        single = true;
        changes << QStringLiteral("single mode");
    }
    bool soundWanted() const override { return sound; }
    void playSound() override { changes << QStringLiteral("sound"); }
    QStringList randomList() const override { return list; }
    void showRandomPick(int index) override { changes << QStringLiteral("pick %1").arg(index); }
    void showRunning(bool running) override {
        changes << (running ? QStringLiteral("Stop") : QStringLiteral("Start"));
    }
    void showCountdown(const QString& text) override { changes << text; }
    void showInAddressBox(const QString& address) override {
        changes << QStringLiteral("address ") + address;
    }
    void showScanStarted(const QString& address) override {
        changes << QStringLiteral("scan ") + address;
    }
    void showStatus(const QString& text) override { statuses << text; }
    QWidget& alertedWindow() override { return window; }

    // The changes since the last call.
    QStringList take() { return std::exchange(changes, {}); }
};

// The monitor on its view and the fakes, its reader ending each read when
// the test says so.
struct MonitorRig {
    FakePlatform fakes;
    ScriptedView view;
    PeriodMonitor monitor;

    MonitorRig()
        : monitor(view, {fakes.reader, fakes.pointer, fakes.program, fakes.messages, fakes.browser,
                         fakes.alerts, fakes.notifications, fakes.platform().random,
                         fakes.platform().now}) {
        monitor.prepare();
    }

    // Start with the given interval, watching `address` in single mode.
    void start(const QString& interval, const QString& address = {}) {
        view.interval = interval;
        view.url = address;
        monitor.startOrStop();
    }
    // A period end on the watched page that reads `page`.
    void periodEnd(const QByteArray& page) {
        monitor.tick();
        fakes.reader.finish(page);
    }
    // Draws that land on these indexes of an n-entry list.
    void drawIndexes(int n, std::initializer_list<int> indexes) {
        for (int index : indexes)
            fakes.draws.push_back((index + 0.5) / n);
    }
    QStringList boxes() const {
        QStringList shown;
        for (const auto& [prompt, title] : fakes.messages.shown)
            shown << prompt + " | " + title;
        return shown;
    }
};
