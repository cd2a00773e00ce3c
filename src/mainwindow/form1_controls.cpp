#include "mainwindow/form1.h"

#include "mainwindow/credits.h"
#include "mainwindow/window_icon.h"
#include "monitor/interval_table.h"
#include "widgets/accessible_windows.h"
#include "widgets/image_list.h"
#include "widgets/interval_timer.h"
#include "widgets/twips.h"
#include "widgets/wrapping_check_box.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>
#include <type_traits>
#include <variant>
#include <vector>

namespace {

enum class In { Form, Frame1, picAddress };
enum class Shown { Yes, Never };
enum class Font { Window, Heading, Large };

// The member a control is kept in; its type is the kind of control made.
using Member = std::variant<QPlainTextEdit * Form1::*, QListWidget * Form1::*, QListView * Form1::*,
                            QGroupBox * Form1::*, QPushButton * Form1::*, QLineEdit * Form1::*,
                            QRadioButton * Form1::*, QComboBox * Form1::*, QWidget * Form1::*,
                            QLabel * Form1::*, QToolBar * Form1::*, QCheckBox * Form1::*>;

// One control as it is created: where it lies, in twips, and its tab index.
struct Control {
    Member member;
    const char* name;
    In parent;
    twips::Rect at;
    int tabIndex;
    Shown shown = Shown::Yes;
    const char* caption = nullptr;
    const char* toolTip = nullptr;
    Font font = Font::Window;
};

#define CONTROL(name) &Form1::name, #name

constexpr Shown Never = Shown::Never;
constexpr Shown Yes = Shown::Yes;

// Every control of the window in creation order: the control created first
// lies on top.
// clang-format off
const Control kControls[] = {
    // control             parent          left, top, width, height   tab, shown, caption, tip, font
    {CONTROL(OrginalSidan),  In::Form,       {2880, 5040, 1395, 285},   39, Never},
    {CONTROL(lstFiles),      In::Form,       {1320, 4800, 1320, 255},   38, Never},
    {CONTROL(lstImages),     In::Form,       {240, 4560, 960, 450},     37, Never},
    {CONTROL(lstReferences), In::Form,       {1320, 4560, 975, 225},    36, Never},
    {CONTROL(List3),         In::Form,       {1320, 5160, 1320, 225},   35, Never},
    {CONTROL(List4),         In::Form,       {1320, 5520, 1320, 225},   34, Never},
    {CONTROL(txtRawHTML),    In::Form,       {2760, 4680, 1515, 285},   33, Never},
    {CONTROL(Frame1),        In::Form,       {0, 0, 9615, 6255},        24, Yes,
        "Edit - Random List"},
    {CONTROL(Command9),      In::Frame1,     {2760, 5760, 1215, 375},   31, Yes, "Clear",
        "Clear the list"},
    {CONTROL(Text2),         In::Frame1,     {6240, 5760, 3135, 285},   30, Yes, nullptr,
        "url to add to the random list"},
    {CONTROL(Command8),      In::Frame1,     {4080, 5760, 1215, 375},   29, Yes, "Remove single",
        "remove single url"},
    {CONTROL(Command7),      In::Frame1,     {5400, 5760, 735, 375},    28, Yes, "Add >>",
        "adds url to list"},
    {CONTROL(Command6),      In::Frame1,     {1440, 5760, 1215, 375},   27, Yes, "Cancel",
        "hide this frame"},
    {CONTROL(Command5),      In::Frame1,     {120, 5760, 1215, 375},    26, Yes, "Save",
        "save the list"},
    {CONTROL(List1),         In::Frame1,     {120, 360, 9375, 5325},    25, Yes, nullptr,
        "Random url-list"},
    {CONTROL(Command4),      In::Form,       {6960, 3000, 975, 345},    22, Yes, "<< Edit      "},
    {CONTROL(Option1),       In::Form,       {260, 2280, 600, 255},     20, Yes, "---->"},
    {CONTROL(Combo2),        In::Form,       {840, 3000, 6015, 315},    18},
    {CONTROL(Text1),         In::Form,       {840, 2280, 6015, 300},    17, Yes, nullptr,
        "Enter full/path/url that will be browsed to. EX http://xxx.xxxxx.xxx/index.htm"},
    {CONTROL(Combo1),        In::Form,       {8160, 2280, 1455, 315},   15, Yes, nullptr,
        "timer interval"},
    {CONTROL(Command3),      In::Form,       {6960, 2280, 975, 345},     7, Yes, "<< Browse",
        "Browse to url"},
    {CONTROL(Command2),      In::Form,       {8160, 2760, 1455, 225},    6, Yes, "select wav",
        "select the wav-file that will be played on every REAL site update"},
    {CONTROL(Command1),      In::Form,       {9840, 2280, 1935, 585},    5, Yes, "Start",
        "Start/Stop Timer-Update"},
    {CONTROL(brwWebBrowser), In::Form,       {120, 120, 4215, 1455},     4},
    {CONTROL(picAddress),    In::Form,       {0, 630, Form1::kClientWidth, 675}, 1},
    {CONTROL(cboAddress),    In::picAddress, {45, 300, 3795, 315},       2, Never},
    {CONTROL(lblAddress),    In::picAddress, {45, 60, 3075, 255},        3, Never, "&Address:"},
    {CONTROL(tbToolBar),     In::Form,       {0, 0, Form1::kClientWidth, 630}, 0, Never},
    {CONTROL(Option2),       In::Form,       {260, 3000, 615, 195},     21, Yes, "---->"},
    {CONTROL(Check1),        In::Form,       {8160, 3000, 3135, 375},   32, Yes,
        "Check if you want to play the sound you selected on every REAL site update",
        "This is only valid to single-Url Mode"},
    {CONTROL(Label10),       In::Form,       {120, 2040, 615, 255},     23, Yes, "Mode",
        nullptr, Font::Heading},
    {CONTROL(Label9),        In::Form,       {840, 2760, 1935, 255},    19, Yes,
        "Url - Random list", nullptr, Font::Heading},
    {CONTROL(Label8),        In::Form,       {840, 2040, 1575, 255},    16, Yes, "Url - Single",
        nullptr, Font::Heading},
    {CONTROL(Label7),        In::Form,       {8400, 5280, 6015, 255},   14, Never, kCreditLine},
    {CONTROL(Label6),        In::Form,       {8160, 2040, 1575, 255},   13, Yes, "Timer Interval",
        nullptr, Font::Heading},
    {CONTROL(Label5),        In::Form,       {9120, 4080, 255, 255},    12, Never, "0"},
    {CONTROL(Label4),        In::Form,       {8640, 4080, 255, 255},    11, Never, "of"},
    {CONTROL(Label3),        In::Form,       {8040, 4080, 495, 255},    10, Never, "0"},
    {CONTROL(Label2),        In::Form,       {6600, 4080, 1215, 255},    9, Never,
        "Next Update     -"},
    {CONTROL(Label1),        In::Form,       {120, 1440, 7575, 495},     8, Yes, nullptr, nullptr,
        Font::Large},
};
// clang-format on

#undef CONTROL

QFont sansSerif(double points, int weight) {
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setWeight(static_cast<QFont::Weight>(weight));
    return f;
}

// The classic check box wraps its caption; QCheckBox would cut it off.
template <typename T>
using Made = std::conditional_t<std::is_same_v<T, QCheckBox>, WrappingCheckBox, T>;

// Creates the control of `row` in `parent`, named, placed and set up as its
// kind wants, and keeps it in its member of `form`.
template <typename T>
QWidget* makeControl(Form1& form, T* Form1::*member, QWidget* parent, const Control& row) {
    using Kind = Made<T>;
    Kind* c = row.shown == Shown::Never ? createHiddenForGood<Kind>(parent) : new Kind(parent);
    c->setObjectName(QString::fromLatin1(row.name));
    c->setProperty("tabIndex", row.tabIndex);
    twips::setGeometry(c, row.at.left, row.at.top, row.at.width, row.at.height);
    if (row.caption) {
        if constexpr (std::is_same_v<T, QGroupBox>)
            c->setTitle(QString::fromLatin1(row.caption));
        else if constexpr (std::is_base_of_v<QAbstractButton, T> || std::is_same_v<T, QLabel>)
            c->setText(QString::fromLatin1(row.caption));
    }
    if (row.toolTip)
        c->setToolTip(QString::fromLatin1(row.toolTip));
    if (row.font == Font::Heading)
        c->setFont(sansSerif(9.75, 700));
    else if (row.font == Font::Large)
        c->setFont(sansSerif(12, 400));

    if constexpr (std::is_same_v<T, QPlainTextEdit>) {
        c->setLineWrapMode(QPlainTextEdit::NoWrap);
        c->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        c->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    } else if constexpr (std::is_same_v<T, QComboBox>) {
        c->setEditable(true);
        // The lists are the program's to fill: Enter must not add the typed text.
        c->setInsertPolicy(QComboBox::NoInsert);
    } else if constexpr (std::is_same_v<T, QLineEdit>) {
        // A line edit stops at 32767 characters by default; long query URLs
        // must not be cut short without a word.
        c->setMaxLength(std::numeric_limits<int>::max());
    } else if constexpr (std::is_same_v<T, QPushButton>) {
        // Enter presses the focused button, as Space does.
        c->setAutoDefault(true);
    }
    form.*member = c;
    return c;
}

} // namespace

void Form1::createControls() {
    setWindowTitle(QString::fromLatin1(kCreditLine));
    setWindowIcon(vigiloWindowIcon());
    // The window's dialog font, which the control sizes were chosen for.
    setFont(sansSerif(8, 400));
    const double scale = twips::pixelsPerTwip(this);
    createStatusLine();
    resize(twips::toPixels(kClientWidth, scale),
           twips::toPixels(kClientHeight, scale) + statusLineHeight());

    std::vector<QWidget*> created;
    for (const Control& row : kControls) {
        QWidget* parent = row.parent == In::Frame1       ? static_cast<QWidget*>(Frame1)
                          : row.parent == In::picAddress ? picAddress
                                                         : this;
        created.push_back(std::visit(
            [&](auto member) { return makeControl(*this, member, parent, row); }, row.member));
    }

    // The monitor owns the timer; the window knows it by its classic name.
    Timer1 = &monitor_.timer();
    Timer1->setObjectName(QStringLiteral("Timer1"));
    for (const QString& caption : intervalCaptions())
        Combo1->addItem(caption, 0);
    Combo1->setCurrentIndex(-1);
    Combo1->setEditText(QString());

    auto* browserLayout = new QVBoxLayout(brwWebBrowser);
    browserLayout->setContentsMargins(0, 0, 0, 0);
    if (platform_.browser)
        browserView_ = platform_.browser->widget();
    if (browserView_)
        browserLayout->addWidget(browserView_);

    imlIcons = new ImageList(this);
    imlIcons->setObjectName(QStringLiteral("imlIcons"));
    for (int i = 0; i < imlIcons->count(); ++i) {
        const QString key = QString::fromLatin1(ImageList::kKeys[static_cast<size_t>(i)]);
        QAction* a = tbToolBar->addAction(imlIcons->image(i + 1), key);
        a->setObjectName(key);
        a->setData(key); // the button's Key
    }

    Frame1->setAutoFillBackground(true);
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    Label7->setStyleSheet(QStringLiteral("color: white;"));
    Option1->setChecked(true);
    // Shown only while the list is edited.
    Frame1->hide();

    // The control created first lies on top: raise from the last to the first.
    // The address strip's two controls are never shown.
    for (std::size_t i = created.size(); i-- > 0;)
        if (kControls[i].parent != In::picAddress)
            created[i]->raise();

    // Tab order by tab index, over the controls that take focus.
    std::stable_sort(created.begin(), created.end(), [](QWidget* a, QWidget* b) {
        return a->property("tabIndex").toInt() < b->property("tabIndex").toInt();
    });
    QWidget* previous = nullptr;
    for (QWidget* w : created) {
        if (w->focusPolicy() == Qt::NoFocus)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
    nameForAssistiveTools();
}

// Created first, so that every classic control lies above it.
void Form1::createStatusLine() {
    statusLine = new QStatusBar(this);
    statusLine->setObjectName(QStringLiteral("statusLine"));
    statusLine->setSizeGripEnabled(false);
    statusText = new QLabel(statusLine);
    statusText->setObjectName(QStringLiteral("statusText"));
    statusText->setTextFormat(Qt::PlainText);
    statusLine->addWidget(statusText, 1);
    statusLine->setAccessibleName(QStringLiteral("Status"));
}

int Form1::statusLineHeight() const {
    return statusLine ? statusLine->sizeHint().height() : 0;
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
    Command2->setAccessibleDescription(
        QStringLiteral("Chooses the wave file played on every real site update; once one is "
                       "chosen, switches that sound off and on. While it reads Sound Off, "
                       "updates are silent."));
}
