#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// What the period monitor asks of the window it runs in: the settings the user
// made there, the live random list, and the controls that show the monitor's
// state. The main window implements it.
class MonitorView {
public:
    virtual ~MonitorView() = default;

    // The chosen interval's caption, as the interval box shows it.
    virtual QString intervalCaption() const = 0;
    // The URL box.
    virtual QString singleUrl() const = 0;
    virtual bool singleUrlMode() const = 0;
    // Selects single mode and runs its switch, also when it is selected already.
    virtual void fallBackToSingleUrlMode() = 0;
    // Whether the user wants the sound at a real update, and the sound.
    virtual bool soundWanted() const = 0;
    virtual void playSound() = 0;

    // The live random list.
    virtual QStringList randomList() const = 0;
    // Makes the entry at `index` the random list's choice, text and all.
    virtual void showRandomPick(int index) = 0;

    // The Start/Stop button's caption, drawn from the running flag.
    virtual void showRunning(bool running) = 0;
    virtual void showCountdown(const QString& text) = 0;
    // Sets the address box's text and appends that text to its history.
    virtual void showInAddressBox(const QString& address) = 0;
    // What the last period end did, or that the monitor started or stopped:
    // one line, for the eye and for a screen reader.
    virtual void showStatus(const QString& text) = 0;
    // A scan of `url` begins: the window's work lists start afresh.
    virtual void showScanStarted(const QString& url) = 0;
    // The window whose taskbar entry a real update marks.
    virtual QWidget& alertedWindow() = 0;
};
