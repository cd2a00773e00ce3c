#include "mainwindow/form1.h"

#include "mainwindow/start_page.h"
#include "mainwindow/window_log.h"
#include "widgets/accessible_windows.h"
#include "widgets/frame_focus_trap.h"
#include "widgets/interval_timer.h"
#include "widgets/twips.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>

Form1::Form1(const Platform& platform, QWidget* parent)
    : QWidget(parent), platform_(platform),
      monitor_(*this, {*platform.reader, *platform.pointer, *platform.program, *platform.messages,
                       *platform.browser, *platform.alerts, *platform.notifications,
                       platform.random, platform.now}),
      sound_(*platform.sound, *platform.messages) {
    exposeWindowToAssistiveTools("Form1");
    setObjectName(QStringLiteral("Form1"));
    monitor_.setParent(this);
    monitor_.setObjectName(QStringLiteral("monitor"));
    createControls();
    editor_ = std::make_unique<RandomListEditor>(RandomListControls{Frame1, List1, Text2, Combo2},
                                                 *platform_.messages, *platform_.program);
    wireEvents();
    // A notification's offer to show the window brings it to the front,
    // maximized or not, as it was.
    platform_.notifications->setShowWindow([this] {
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        show();
        raise();
        activateWindow();
    });
    Form_Load();
}

// The browser's widget only lodges in the pane: it goes back to its owner.
Form1::~Form1() {
    platform_.notifications->setShowWindow({});
    if (browserView_)
        browserView_->setParent(nullptr);
}

void Form1::wireEvents() {
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(&sound_, &AlertSound::captionChanged, Command2, &QPushButton::setText);
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
    connect(Command6, &QPushButton::clicked, this, [this] { Command6_Click(); });
    connect(Command7, &QPushButton::clicked, this, [this] { Command7_Click(); });
    connect(Command8, &QPushButton::clicked, this, [this] { Command8_Click(); });
    connect(Command9, &QPushButton::clicked, this, [this] { Command9_Click(); });
    // A mode switch runs each time its button becomes selected, whether by
    // mouse, keyboard, code or an assistive tool's action; only then.
    connect(Option1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option1_Click();
    });
    connect(Option2, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option2_Click();
    });
    connect(cboAddress, &QComboBox::activated, this, [this] { cboAddress_Click(); });
    connect(tbToolBar, &QToolBar::actionTriggered, this,
            [this](QAction* a) { tbToolBar_ButtonClick(a); });
    Text2->installEventFilter(this);
    cboAddress->lineEdit()->installEventFilter(this);

    // The list editor keeps the keyboard while it covers the window; Escape
    // there is its Cancel.
    editorKeyboard_ = new FrameFocusTrap(Frame1, Text2, Command4);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), Frame1, nullptr, nullptr,
                                 Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, Command6, &QPushButton::click);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == Text2) {
            int code =
                key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ? 13 : key->key();
            Text2_KeyDown(code, key->modifiers());
        } else if (watched == cboAddress->lineEdit()) {
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                std::int16_t ascii = 13;
                cboAddress_KeyPress(ascii);
                // The combo's own Enter would activate a matching history
                // entry and so navigate a second time.
                return true;
            } else if (!key->text().isEmpty()) {
                std::int16_t ascii = static_cast<std::int16_t>(key->text().at(0).unicode());
                cboAddress_KeyPress(ascii);
            }
        }
    }
    // Otherwise the handlers consume nothing: the key goes on to the control.
    return QWidget::eventFilter(watched, event);
}

void Form1::Form_Load() {
    // Any failing step ends start-up silently; the window opens regardless.
    try {
        monitor_.prepare();
        // The reader's own texts show on the status line while a page is read.
        monitor_.objNetGet->SetStatusWindow(statusText);
        editor_->LoadRandomList();
        const QString startPage = startPagePath(*platform_.program);
        showInAddressBox(StartingAddress);
        platform_.browser->Navigate(startPage);
    } catch (const std::exception& e) {
        qCWarning(lcWindow).noquote() << "Start-up ended early:" << e.what();
    } catch (...) {
        qCWarning(lcWindow).noquote() << "Start-up ended early.";
    }
}

void Form1::Form_Unload() {
    platform_.program->endProcess();
}

void Form1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The strip and the toolbar are docked to the top edge across the client
    // width; the toolbar is hidden, so the strip sits at the very top.
    float clientWidth = twips::fromPixels(width(), twips::pixelsPerTwip(this));
    twips::setTop(picAddress, tbToolBar->isVisible() ? twips::geometry(tbToolBar).height : 0);
    twips::setWidth(picAddress, clientWidth);
    twips::setWidth(tbToolBar, clientWidth);
    const int statusHeight = statusLineHeight();
    statusLine->setGeometry(0, height() - statusHeight, width(), statusHeight);
    Form_Resize();
    fitRestoredWindow();
}

// While the list editor is open, Tab stays among its controls.
bool Form1::focusNextPrevChild(bool next) {
    if (editorKeyboard_ && editorKeyboard_->moveFocus(next))
        return true;
    return QWidget::focusNextPrevChild(next);
}

void Form1::closeEvent(QCloseEvent* event) {
    event->accept();
    Form_Unload();
}
