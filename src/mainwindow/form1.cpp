#include "mainwindow/form1.h"

#include "mainwindow/credits.h"
#include "mainwindow/window_icon.h"
#include "widgets/accessible_windows.h"
#include "widgets/frame_focus_trap.h"
#include "widgets/image_list.h"
#include "widgets/interval_timer.h"
#include "widgets/twips.h"
#include "widgets/wrapping_check_box.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>
#include <vector>

namespace {

enum class Shown { Yes, Never };
constexpr Shown kNeverShown = Shown::Never;

// Creates a control, names it, gives it its creation geometry in twips and
// remembers its tab index (-1: takes no tab stop).
template <typename T>
T* make(QWidget* parent, const char* name, float l, float t, float w, float h, int tabIndex,
        Shown shown = Shown::Yes) {
    T* c = shown == Shown::Never ? createHiddenForGood<T>(parent) : new T(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setProperty("tabIndex", tabIndex);
    twips::setGeometry(c, l, t, w, h);
    return c;
}

QPlainTextEdit* makeMultiLine(QWidget* parent, const char* name, float l, float t, float w, float h,
                              int tab, Shown shown) {
    auto* e = make<QPlainTextEdit>(parent, name, l, t, w, h, tab, shown);
    e->setLineWrapMode(QPlainTextEdit::NoWrap);
    e->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    e->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return e;
}

QComboBox* makeCombo(QWidget* parent, const char* name, float l, float t, float w, float h, int tab,
                     Shown shown = Shown::Yes) {
    auto* c = make<QComboBox>(parent, name, l, t, w, h, tab, shown);
    c->setEditable(true);
    // The lists are the program's to fill: Enter must not add the typed text.
    c->setInsertPolicy(QComboBox::NoInsert);
    return c;
}

QFont sansSerif(double points, int weight) {
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setWeight(static_cast<QFont::Weight>(weight));
    return f;
}

} // namespace

Form1::Form1(const Platform& platform, QWidget* parent)
    : QWidget(parent), platform_(platform),
      monitor_(*this, {*platform.internet, *platform.pointer, *platform.events, *platform.program,
                       *platform.messages, *platform.browser, *platform.alerts, platform.random}),
      sound_(*platform.media, *platform.shortPath, *platform.messages) {
    exposeWindowsToAssistiveTools();
    setObjectName(QStringLiteral("Form1"));
    createControls();
    editor_ = std::make_unique<RandomListEditor>(RandomListControls{Frame1, List1, Text2, Combo2},
                                                 *platform_.messages, *platform_.program);
    wireEvents();
    Form_Load();
}

// The browser's widget only lodges in the pane: it goes back to its owner.
Form1::~Form1() {
    if (browserView_)
        browserView_->setParent(nullptr);
}

void Form1::createControls() {
    setWindowTitle(QString::fromLatin1(kCreditLine));
    setWindowIcon(vigiloWindowIcon());
    // The window's dialog font, which the control sizes were chosen for.
    setFont(sansSerif(8, 400));
    double scale = twips::pixelsPerTwip(this);
    resize(twips::toPixels(kClientWidth, scale), twips::toPixels(kClientHeight, scale));

    OrginalSidan = makeMultiLine(this, "OrginalSidan", 2880, 5040, 1395, 285, 39, kNeverShown);
    lstFiles = make<QListWidget>(this, "lstFiles", 1320, 4800, 1320, 255, 38, kNeverShown);
    lstImages = make<QListWidget>(this, "lstImages", 240, 4560, 960, 450, 37, kNeverShown);
    lstReferences = make<QListWidget>(this, "lstReferences", 1320, 4560, 975, 225, 36, kNeverShown);
    List3 = make<QListWidget>(this, "List3", 1320, 5160, 1320, 225, 35, kNeverShown);
    List4 = make<QListWidget>(this, "List4", 1320, 5520, 1320, 225, 34, kNeverShown);
    txtRawHTML = makeMultiLine(this, "txtRawHTML", 2760, 4680, 1515, 285, 33, kNeverShown);

    Frame1 = make<QGroupBox>(this, "Frame1", 0, 0, 9615, 6255, 24);
    Frame1->setTitle(QStringLiteral("Edit - Random List"));
    Frame1->setAutoFillBackground(true);
    Command9 = make<QPushButton>(Frame1, "Command9", 2760, 5760, 1215, 375, 31);
    Command9->setText(QStringLiteral("Clear"));
    Command9->setToolTip(QStringLiteral("Clear the list"));
    Text2 = make<QLineEdit>(Frame1, "Text2", 6240, 5760, 3135, 285, 30);
    Text2->setToolTip(QStringLiteral("url to add to the random list"));
    Command8 = make<QPushButton>(Frame1, "Command8", 4080, 5760, 1215, 375, 29);
    Command8->setText(QStringLiteral("Remove single"));
    Command8->setToolTip(QStringLiteral("remove single url"));
    Command7 = make<QPushButton>(Frame1, "Command7", 5400, 5760, 735, 375, 28);
    Command7->setText(QStringLiteral("Add >>"));
    Command7->setToolTip(QStringLiteral("adds url to list"));
    Command6 = make<QPushButton>(Frame1, "Command6", 1440, 5760, 1215, 375, 27);
    Command6->setText(QStringLiteral("Cancel"));
    Command6->setToolTip(QStringLiteral("hide this frame"));
    Command5 = make<QPushButton>(Frame1, "Command5", 120, 5760, 1215, 375, 26);
    Command5->setText(QStringLiteral("Save"));
    Command5->setToolTip(QStringLiteral("save the list"));
    List1 = make<QListWidget>(Frame1, "List1", 120, 360, 9375, 5325, 25);
    List1->setToolTip(QStringLiteral("Random url-list"));
    List1->setSelectionMode(QAbstractItemView::SingleSelection);

    Command4 = make<QPushButton>(this, "Command4", 6960, 3000, 975, 345, 22);
    Command4->setText(QStringLiteral("<< Edit      "));
    Option1 = make<QRadioButton>(this, "Option1", 260, 2280, 600, 255, 20);
    Option1->setText(QStringLiteral("---->"));
    Combo2 = makeCombo(this, "Combo2", 840, 3000, 6015, 315, 18);

    Timer1 = new IntervalTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));

    Text1 = make<QLineEdit>(this, "Text1", 840, 2280, 6015, 300, 17);
    Text1->setToolTip(QStringLiteral(
        "Enter full/path/url that will be browsed to. EX http://xxx.xxxxx.xxx/index.htm"));
    Combo1 = makeCombo(this, "Combo1", 8160, 2280, 1455, 315, 15);
    for (const char* caption :
         {"10 sec", "30 sec", "1 min", "5 min", "10 min", "30 min", "1 hour", "2 hour", "3 hour"})
        Combo1->addItem(QString::fromLatin1(caption), 0);
    Combo1->setCurrentIndex(-1);
    Combo1->setEditText(QString());
    Combo1->setToolTip(QStringLiteral("timer interval"));
    Command3 = make<QPushButton>(this, "Command3", 6960, 2280, 975, 345, 7);
    Command3->setText(QStringLiteral("<< Browse"));
    Command3->setToolTip(QStringLiteral("Browse to url"));
    Command2 = make<QPushButton>(this, "Command2", 8160, 2760, 1455, 225, 6);
    Command2->setText(QStringLiteral("select wav"));
    Command2->setToolTip(
        QStringLiteral("select the wav-file that will be played on every REAL site update"));
    Command1 = make<QPushButton>(this, "Command1", 9840, 2280, 1935, 585, 5);
    Command1->setText(QStringLiteral("Start"));
    Command1->setToolTip(QStringLiteral("Start/Stop Timer-Update"));

    brwWebBrowser = make<QWidget>(this, "brwWebBrowser", 120, 120, 4215, 1455, 4);
    auto* browserLayout = new QVBoxLayout(brwWebBrowser);
    browserLayout->setContentsMargins(0, 0, 0, 0);
    if (platform_.browser)
        browserView_ = platform_.browser->widget();
    if (browserView_)
        browserLayout->addWidget(browserView_);

    picAddress = make<QWidget>(this, "picAddress", 0, 630, kClientWidth, 675, 1);
    cboAddress = makeCombo(picAddress, "cboAddress", 45, 300, 3795, 315, 2, kNeverShown);
    lblAddress = make<QLabel>(picAddress, "lblAddress", 45, 60, 3075, 255, 3, kNeverShown);
    lblAddress->setText(QStringLiteral("&Address:"));

    tbToolBar = make<QToolBar>(this, "tbToolBar", 0, 0, kClientWidth, 630, 0, kNeverShown);
    imlIcons = new ImageList(this);
    imlIcons->setObjectName(QStringLiteral("imlIcons"));
    const char* keys[] = {"Back", "Forward", "Stop", "Refresh", "Home", "Search"};
    for (int i = 0; i < 6; ++i) {
        QAction* a = tbToolBar->addAction(imlIcons->image(i + 1), QString::fromLatin1(keys[i]));
        a->setObjectName(QString::fromLatin1(keys[i]));
        a->setData(QString::fromLatin1(keys[i])); // the button's Key
    }

    Option2 = make<QRadioButton>(this, "Option2", 260, 3000, 615, 195, 21);
    Option2->setText(QStringLiteral("---->"));
    Check1 = make<WrappingCheckBox>(this, "Check1", 8160, 3000, 3135, 375, 32);
    Check1->setText(QStringLiteral(
        "Check if you want to play the sound you selected on every REAL site update"));
    Check1->setToolTip(QStringLiteral("This is only valid to single-Url Mode"));

    const QFont heading = sansSerif(9.75, 700);
    Label10 = make<QLabel>(this, "Label10", 120, 2040, 615, 255, 23);
    Label10->setText(QStringLiteral("Mode"));
    Label10->setFont(heading);
    Label9 = make<QLabel>(this, "Label9", 840, 2760, 1935, 255, 19);
    Label9->setText(QStringLiteral("Url - Random list"));
    Label9->setFont(heading);
    Label8 = make<QLabel>(this, "Label8", 840, 2040, 1575, 255, 16);
    Label8->setText(QStringLiteral("Url - Single"));
    Label8->setFont(heading);
    Label7 = make<QLabel>(this, "Label7", 8400, 5280, 6015, 255, 14, kNeverShown);
    Label7->setText(QString::fromLatin1(kCreditLine));
    Label7->setStyleSheet(QStringLiteral("color: white;"));
    Label6 = make<QLabel>(this, "Label6", 8160, 2040, 1575, 255, 13);
    Label6->setText(QStringLiteral("Timer Interval"));
    Label6->setFont(heading);
    Label5 = make<QLabel>(this, "Label5", 9120, 4080, 255, 255, 12, kNeverShown);
    Label5->setText(QStringLiteral("0"));
    Label4 = make<QLabel>(this, "Label4", 8640, 4080, 255, 255, 11, kNeverShown);
    Label4->setText(QStringLiteral("of"));
    Label3 = make<QLabel>(this, "Label3", 8040, 4080, 495, 255, 10, kNeverShown);
    Label3->setText(QStringLiteral("0"));
    Label2 = make<QLabel>(this, "Label2", 6600, 4080, 1215, 255, 9, kNeverShown);
    Label2->setText(QStringLiteral("Next Update     -"));
    Label1 = make<QLabel>(this, "Label1", 120, 1440, 7575, 495, 8);
    Label1->setFont(sansSerif(12, 400));

    Option1->setChecked(true);

    // A line edit stops at 32767 characters by default; long query URLs must
    // not be cut short without a word.
    for (QLineEdit* e : {Text1, Text2})
        e->setMaxLength(std::numeric_limits<int>::max());

    // Shown only while the list is edited.
    Frame1->hide();

    // The control created first lies on top: raise from the last to the first.
    const std::vector<QWidget*> creationOrder{
        OrginalSidan,  lstFiles,   lstImages, lstReferences, List3,  List4,    txtRawHTML, Frame1,
        Command4,      Option1,    Combo2,    Text1,         Combo1, Command3, Command2,   Command1,
        brwWebBrowser, picAddress, tbToolBar, Option2,       Check1, Label10,  Label9,     Label8,
        Label7,        Label6,     Label5,    Label4,        Label3, Label2,   Label1};
    for (auto it = creationOrder.rbegin(); it != creationOrder.rend(); ++it)
        (*it)->raise();
    const std::vector<QWidget*> frameOrder{Command9, Text2,    Command8, Command7,
                                           Command6, Command5, List1};
    for (auto it = frameOrder.rbegin(); it != frameOrder.rend(); ++it)
        (*it)->raise();

    // Tab order by tab index, over the controls that take focus.
    std::vector<QWidget*> all = creationOrder;
    all.insert(all.end(), frameOrder.begin(), frameOrder.end());
    all.push_back(cboAddress);
    all.push_back(lblAddress);
    std::stable_sort(all.begin(), all.end(), [](QWidget* a, QWidget* b) {
        return a->property("tabIndex").toInt() < b->property("tabIndex").toInt();
    });
    QWidget* previous = nullptr;
    for (QWidget* w : all) {
        if (w->focusPolicy() == Qt::NoFocus)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }

    // Enter presses the focused button, as Space does.
    for (QPushButton* b :
         {Command1, Command2, Command3, Command4, Command5, Command6, Command7, Command8, Command9})
        b->setAutoDefault(true);
    nameForAssistiveTools();
}

// What a screen reader announces; no caption changes for it.
void Form1::nameForAssistiveTools() {
    Option1->setAccessibleName(QStringLiteral("Single URL mode"));
    Option2->setAccessibleName(QStringLiteral("Random list mode"));
    Label6->setBuddy(Combo1);
    Label8->setBuddy(Text1);
    Label9->setBuddy(Combo2);
    List1->setAccessibleName(QStringLiteral("Random url-list"));
    Text2->setAccessibleName(QStringLiteral("url to add to the random list"));
    brwWebBrowser->setAccessibleName(QStringLiteral("Web page"));
}

void Form1::wireEvents() {
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
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
    connect(Timer1, &IntervalTimer::timeout, this, [this] { Timer1_Timer(); });
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
        editor_->LoadRandomList();
        const QString startPage =
            platform_.program->folder() + QDir::separator() + QStringLiteral("start.htm");
        showInAddressBox(StartingAddress);
        platform_.browser->Navigate(startPage);
    } catch (...) {
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
