#pragma once

#include "platform/platform.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <random>

// Stand-ins for the machine, for tests. Each records what it was asked.

class FakeBrowser : public WebBrowser {
public:
    QWidget* widget() override;
    void Navigate(const QString& address) override;
    void GoBack() override { record("GoBack"); }
    void GoForward() override { record("GoForward"); }
    void GoHome() override { record("GoHome"); }
    void GoSearch() override { record("GoSearch"); }
    void Refresh() override { record("Refresh"); }
    void Stop() override { record("Stop"); }

    QStringList calls;     // "Navigate <address>", "GoBack", ...
    QStringList navigated; // the addresses only
    bool failNext = false; // the next call throws std::runtime_error

private:
    void record(const QString& call);
    std::unique_ptr<QWidget> widget_;
};

class FakeSound : public SoundOutput {
public:
    void play(const QString& path) override { played.append(path); }
    QStringList played;
};

class FakeMessageBoxes : public MessageBoxes {
public:
    void show(const QString& prompt, const QString& title) override {
        shown.append({prompt, title});
        if (whileOpen)
            whileOpen(); // the box is modal: events run while it is open
    }
    QList<QPair<QString, QString>> shown; // (prompt, title)
    std::function<void()> whileOpen;
};

class FakeBusyPointer : public BusyPointer {
public:
    void setBusy() override { calls.append("busy"); }
    void restore() override { calls.append("restore"); }
    QStringList calls;
};

class FakeProgram : public ProgramInfo {
public:
    QString folder() const override { return folder_; }
    QString exeName() const override { return exeName_; }
    void endProcess() override { ++ended; }

    QString folder_;
    QString exeName_ = QStringLiteral("vigilo");
    int ended = 0;
};

// A window manager's frame, as the test chooses it.
class FakeWindowFrames : public WindowFrames {
public:
    QMargins frameOf(const QWidget&) const override { return frame; }
    QMargins frame;
};

// Records the windows the user was asked to look at.
class FakeWindowAlerts : public WindowAlerts {
public:
    void alert(QWidget& window) override { alerted.append(&window); }
    QList<QWidget*> alerted;
};

// Records the notifications asked for; the test plays the user picking one.
class FakeDesktopNotifications : public DesktopNotifications {
public:
    void notifyChange(const QString& address, const QDateTime& time) override {
        notified.append({address, time});
    }
    void pickShowWindow() const { showWindowAsked(); }
    QList<QPair<QString, QDateTime>> notified; // (address, time)
};

// A page reader whose reads end when the test says so (finish, fail), or by
// themselves from the event loop for the addresses in `pages`.
class FakePageReader : public PageReader {
    Q_OBJECT
public:
    void fetch(PageRequest request) override;
    void abandon() override;

    bool reading() const { return reading_; }
    // Ends the read under way, as the real reader does: from outside fetch().
    void progress(qint64 bytes);
    void finish(const QByteArray& body);
    void fail(std::int32_t code, const QString& text = {});

    QHash<QByteArray, PageResult> pages; // answered by themselves, by address
    QList<PageRequest> requests;         // every fetch, in order
    int abandoned = 0;                   // reads abandoned while under way

private:
    void end(const PageResult& result);

    bool reading_ = false;
    quint64 serial_ = 0; // tells a read from the next
};

// All fakes together, with a temporary folder as the program's folder.
class FakePlatform {
public:
    FakePlatform();
    Platform platform();

    QTemporaryDir dir;
    FakePageReader reader;
    FakeBrowser browser;
    FakeSound sound;
    FakeMessageBoxes messages;
    FakeBusyPointer pointer;
    FakeProgram program;
    FakeWindowFrames frames;
    FakeWindowAlerts alerts;
    FakeDesktopNotifications notifications;
    // Draws handed out in turn; when empty, a fixed-seed sequence.
    std::deque<double> draws;
    std::mt19937 fallback{1};
    // The clock, as the test sets it.
    QDateTime clock{QDate(2026, 12, 8), QTime(14, 3, 10)};
    PageReader* readerOverride = nullptr; // e.g. the real reader
};
