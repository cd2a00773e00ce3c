#pragma once

#include "platform/platform.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
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

class FakeMedia : public MediaService {
public:
    int mciSendString(const QByteArray& command) override {
        commands.append(command);
        return 0;
    }
    QList<QByteArray> commands;
};

// Answers with the absolute path of an existing file or folder, like a file
// system without short names; fails for anything else.
class FakeShortPath : public ShortPathService {
public:
    std::uint32_t GetShortPathName(const QByteArray& longPath, char* buffer,
                                   std::uint32_t length) override;
    QList<QByteArray> asked;
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

class FakeEventPump : public EventPump {
public:
    void processEvents() override;
    int count = 0;
    std::function<void()> hook; // runs on each call, after the real events
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

// A scripted internet: pages by URL, each with its bytes and failures.
class FakeInternet : public InternetApi {
public:
    struct Page {
        QByteArray body;
        std::int32_t openError = 0;   // non-zero: the URL cannot be opened
        int failReadAfterChunks = -1; // >= 0: that read fails
        std::int32_t readError = InternetError::ConnectionReset;
        std::int64_t announcedLength = -1; // the Content-Length the answer names
    };

    InternetHandle InternetOpen(const QByteArray& agent) override;
    InternetHandle InternetOpenUrl(InternetHandle session, const QByteArray& url) override;
    bool InternetReadFile(InternetHandle url, char* buffer, std::uint32_t toRead,
                          std::uint32_t* bytesRead) override;
    bool InternetCloseHandle(InternetHandle handle) override;
    std::int64_t contentLength(InternetHandle url) const override;
    std::int32_t lastError() const override { return lastError_; }

    QHash<QByteArray, Page> pages;
    bool failSessionOpen = false;
    QStringList calls;
    QByteArray lastAgent;
    // Runs inside each read, as if the network let the window's events run.
    std::function<void()> duringRead;

private:
    struct Open {
        Page page;
        qsizetype offset = 0;
        int chunks = 0;
        bool session = false;
    };
    QHash<InternetHandle, Open> handles_;
    InternetHandle next_ = 0x100;
    std::int32_t lastError_ = 0;
};

// All fakes together, with a temporary folder as the program's folder.
class FakePlatform {
public:
    FakePlatform();
    Platform platform();

    QTemporaryDir dir;
    FakeInternet internet;
    FakeBrowser browser;
    FakeMedia media;
    FakeShortPath shortPath;
    FakeMessageBoxes messages;
    FakeBusyPointer pointer;
    FakeEventPump events;
    FakeProgram program;
    FakeWindowFrames frames;
    FakeWindowAlerts alerts;
    FakeDesktopNotifications notifications;
    // Draws handed out in turn; when empty, a fixed-seed sequence.
    std::deque<double> draws;
    std::mt19937 fallback{1};
    InternetApi* internetOverride = nullptr; // e.g. the real internet layer
};
