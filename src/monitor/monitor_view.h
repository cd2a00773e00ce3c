#pragma once

#include <QString>

class QWidget;

// What the period monitor asks of the window it runs in: the settings the user
// made there, the live random list, the controls that show the monitor's
// state, and the hidden work lists of a scan. The main window implements it.
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

    virtual int randomListCount() const = 0;
    virtual QString randomListEntry(int index) const = 0;
    // Makes the entry at `index` the random list's choice, text and all.
    virtual void showRandomPick(int index) = 0;

    // The Start/Stop button's caption is the running indicator: true while it
    // offers Start.
    virtual bool offersStart() const = 0;
    // Sets the timer going at `milliseconds` a tick, and the button to Stop.
    virtual void armTimer(int milliseconds) = 0;
    // Stops the timer and sets the button to Start.
    virtual void disarmTimer() = 0;
    virtual void showCountdown(const QString& text) = 0;
    // Sets the address box's text and appends that text to its history.
    virtual void showInAddressBox(const QString& address) = 0;
    // The window whose taskbar entry a real update marks.
    virtual QWidget& alertedWindow() = 0;

    // Empties a scan's work lists and makes `url` the one reference to scan.
    virtual void resetScanLists(const QString& url) = 0;
    virtual int referenceCount() const = 0;
    // Selects the reference in `row` and returns it.
    virtual QString selectReference(int row) = 0;
};
