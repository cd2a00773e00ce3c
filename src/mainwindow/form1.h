#pragma once

#include "monitor/monitor_view.h"
#include "monitor/period_monitor.h"
#include "platform/platform.h"
#include "randomlist/random_list_editor.h"
#include "sound/alert_sound.h"

#include <QMargins>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QToolBar;
class FrameFocusTrap;
class ImageList;
class IntervalTimer;

// The main window: its controls, their layout, the browser pane, and the
// handlers, named by control and event, wired to the controls in one place
// (wireEvents) and public so they can be driven directly. What a handler does
// belongs to the subsystem it serves, which the handler hands the event to:
// the update monitor (monitor/), the random list editor (randomlist/), the
// alert sound (sound/). Browser navigation and the window's own events are
// the window's.
class Form1 : public QWidget, private MonitorView {
    Q_OBJECT
public:
    explicit Form1(const Platform& platform, QWidget* parent = nullptr);
    ~Form1() override;

    // The client area of the normal window, in twips.
    static constexpr float kClientWidth = 11400;
    static constexpr float kClientHeight = 8595;

    // --- Controls, in creation order (member name == objectName) ---
    QPlainTextEdit* OrginalSidan = nullptr;
    QListWidget* lstFiles = nullptr;
    QListWidget* lstImages = nullptr;
    QListWidget* lstReferences = nullptr;
    QListWidget* List3 = nullptr;
    QListWidget* List4 = nullptr;
    QPlainTextEdit* txtRawHTML = nullptr;
    QGroupBox* Frame1 = nullptr;
    QPushButton* Command9 = nullptr;
    QLineEdit* Text2 = nullptr;
    QPushButton* Command8 = nullptr;
    QPushButton* Command7 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* Command5 = nullptr;
    QListView* List1 = nullptr;
    QPushButton* Command4 = nullptr;
    QRadioButton* Option1 = nullptr;
    QComboBox* Combo2 = nullptr;
    IntervalTimer* Timer1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QComboBox* Combo1 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command1 = nullptr;
    QWidget* brwWebBrowser = nullptr; // container of the browser's own widget
    QWidget* picAddress = nullptr;
    QComboBox* cboAddress = nullptr;
    QLabel* lblAddress = nullptr;
    QToolBar* tbToolBar = nullptr;
    ImageList* imlIcons = nullptr;
    QRadioButton* Option2 = nullptr;
    QCheckBox* Check1 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label1 = nullptr;

    // The status line along the bottom edge, below the classic layout: what
    // the monitor did at its last period end, or what the reader is doing.
    QStatusBar* statusLine = nullptr;
    QLabel* statusText = nullptr;

    // Copied into the address box at start-up; nothing assigns it.
    QString StartingAddress;

    // --- Window events ---
    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    // The layout pass itself, from the outer (W, H) and client (SW, SH) sizes
    // in twips; Form_Resize gives it the client size and the classic frame.
    void layOut(float W, float H, float SW, float SH);
    // Makes the normal (restored) window the 11400 x 8595 twips client area
    // centred in its screen's available area, frame included, or as large as
    // that area allows. Done before the window first opens, maximized.
    void centreOnScreen();

    // --- Update monitor ---
    void Command1_Click();
    void Option1_Click();
    void Option2_Click();
    void Timer1_Timer();

    // --- Alert sound ---
    void Command2_Click();

    // --- Browser navigation ---
    void Command3_Click();
    void cboAddress_Click();
    void cboAddress_KeyPress(std::int16_t& KeyAscii);
    void tbToolBar_ButtonClick(QAction* Button);
    // Sets the address box's text and appends that text to its history.
    void showInAddressBox(const QString& address) override;
    // Nothing reads the history back and a run may last weeks: only the most
    // recent entries are kept.
    static constexpr int kAddressHistoryLimit = 1000;

    // --- Random list editor ---
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();
    void Text2_KeyDown(int KeyCode, Qt::KeyboardModifiers Shift);

    // The subsystems behind the handlers.
    PeriodMonitor& monitor() { return monitor_; }
    RandomListEditor& randomListEditor() { return *editor_; }
    AlertSound& alertSound() { return sound_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void createControls();
    void createStatusLine();
    // The status line's height in pixels; the classic layout has the rest.
    int statusLineHeight() const;
    void wireEvents();
    void nameForAssistiveTools();
    void enableSingleUrlControls(bool enabled);
    // The frame the window manager draws, or a classic one until it says.
    QMargins windowFrame() const;
    void fitRestoredWindow();

    // The monitor's view of the window (form1_monitor_view.cpp).
    QString intervalCaption() const override;
    QString singleUrl() const override;
    bool singleUrlMode() const override;
    void fallBackToSingleUrlMode() override;
    bool soundWanted() const override;
    void playSound() override;
    QStringList randomList() const override;
    void showRandomPick(int index) override;
    void showRunning(bool running) override;
    void showCountdown(const QString& text) override;
    void showStatus(const QString& text) override;
    void showScanStarted(const QString& url) override;
    QWidget& alertedWindow() override;

    Platform platform_;
    PeriodMonitor monitor_;
    AlertSound sound_;
    std::unique_ptr<RandomListEditor> editor_;
    QPointer<QWidget> browserView_; // the browser's widget, owned by the browser
    FrameFocusTrap* editorKeyboard_ = nullptr;
    bool opened_ = false;   // shown for the first time already
    QRect placedNormal_;    // the normal window as placed, until first restored
    bool restored_ = false; // restored from maximized, placed window not seen yet
};
