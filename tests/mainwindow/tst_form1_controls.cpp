#include "fake_platform.h"
#include "mainwindow/form1.h"
#include "widgets/image_list.h"
#include "widgets/interval_timer.h"
#include "widgets/twips.h"
#include "widgets/wrapping_check_box.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QToolBar>
#include <QtTest>

#include <memory>

#ifdef VIGILO_HAS_QPA_ACCESSIBILITY
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#endif

namespace {

// Qt tells assistive tools nothing until one listens, as a screen reader
// does. Returns whether listening is now as asked.
bool listenAsAssistiveTool(bool on) {
#ifdef VIGILO_HAS_QPA_ACCESSIBILITY
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(on);
#endif
    return QAccessible::isActive() == on;
}

QList<QPointer<QObject>> toldAbout; // the objects of the events tools were sent
QList<QAccessible::Event> toldWhat; // and what each event said of them
void recordEvent(QAccessibleEvent* event) {
    toldAbout.append(event->object());
    toldWhat.append(event->type());
}

// Every widget a tool reaches from `node`, checking that each child knows
// its place in its parent, which tools ask for.
void reachableWidgets(QAccessibleInterface* node, QList<QWidget*>& reached) {
    if (auto* w = qobject_cast<QWidget*>(node->object()))
        reached.append(w);
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface* child = node->child(i);
        QVERIFY(child && child->isValid());
        QCOMPARE(node->indexOfChild(child), i);
        reachableWidgets(child, reached);
    }
}

// The pixels where two renderings of a widget differ.
QRect differingPixels(const QImage& a, const QImage& b, const QRect& outside) {
    QRect box;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y) && !outside.contains(x, y))
                box |= QRect(x, y, 1, 1);
    return box;
}

// What the user (or the layout) reads from a control as its caption or text.
QString captionOf(const QObject* o) {
    if (auto* b = qobject_cast<const QAbstractButton*>(o))
        return b->text();
    if (auto* e = qobject_cast<const QLineEdit*>(o))
        return e->text();
    if (auto* e = qobject_cast<const QPlainTextEdit*>(o))
        return e->toPlainText();
    if (auto* g = qobject_cast<const QGroupBox*>(o))
        return g->title();
    if (auto* l = qobject_cast<const QLabel*>(o))
        return l->text();
    if (auto* c = qobject_cast<const QComboBox*>(o))
        return c->currentText();
    if (auto* l = qobject_cast<const QListWidget*>(o))
        return l->count() ? QStringLiteral("<items>") : QString();
    return {};
}

constexpr int kNoTab = -1;
constexpr float kNone = -1;

} // namespace

class TstForm1Controls : public QObject {
    Q_OBJECT
private slots:
    void init() {
        fakes = std::make_unique<FakePlatform>();
        form = std::make_unique<Form1>(fakes->platform());
    }
    void cleanup() {
        form.reset();
        fakes.reset();
    }

    void everyControlAsCreated_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("toolTip");
        QTest::addColumn<float>("left");
        QTest::addColumn<float>("top");
        QTest::addColumn<float>("width");
        QTest::addColumn<float>("height");
        QTest::addColumn<bool>("hidden");
        QTest::addColumn<int>("tab");

        const QString none;
        const QString onForm = QStringLiteral("Form1");
        const QString frame = QStringLiteral("Frame1");
        const QString pic = QStringLiteral("picAddress");
        auto row = [](const char* name, const char* kind, const QString& parent,
                      const QString& caption, const QString& tip, float l, float t, float w,
                      float h, bool hidden, int tab) {
            QTest::newRow(name) << QString::fromLatin1(kind) << parent << caption << tip << l << t
                                << w << h << hidden << tab;
        };
        const QString url = QStringLiteral(
            "Enter full/path/url that will be browsed to. EX http://xxx.xxxxx.xxx/index.htm");
        const QString wav =
            QStringLiteral("select the wav-file that will be played on every REAL site update");
        const QString check = QStringLiteral(
            "Check if you want to play the sound you selected on every REAL site update");

        row("OrginalSidan", "QPlainTextEdit", onForm, none, none, 2880, 5040, 1395, 285, true, 39);
        row("lstFiles", "QListWidget", onForm, none, none, 1320, 4800, 1320, 255, true, 38);
        row("lstImages", "QListWidget", onForm, none, none, 240, 4560, 960, 450, true, 37);
        row("lstReferences", "QListWidget", onForm, none, none, 1320, 4560, 975, 225, true, 36);
        row("List3", "QListWidget", onForm, none, none, 1320, 5160, 1320, 225, true, 35);
        row("List4", "QListWidget", onForm, none, none, 1320, 5520, 1320, 225, true, 34);
        row("txtRawHTML", "QPlainTextEdit", onForm, none, none, 2760, 4680, 1515, 285, true, 33);
        row("Frame1", "QGroupBox", onForm, "Edit - Random List", none, 0, 0, 9615, 6255, true, 24);
        row("Command9", "QPushButton", frame, "Clear", "Clear the list", 2760, 5760, 1215, 375,
            false, 31);
        row("Text2", "QLineEdit", frame, none, "url to add to the random list", 6240, 5760, 3135,
            285, false, 30);
        row("Command8", "QPushButton", frame, "Remove single", "remove single url", 4080, 5760,
            1215, 375, false, 29);
        row("Command7", "QPushButton", frame, "Add >>", "adds url to list", 5400, 5760, 735, 375,
            false, 28);
        row("Command6", "QPushButton", frame, "Cancel", "hide this frame", 1440, 5760, 1215, 375,
            false, 27);
        row("Command5", "QPushButton", frame, "Save", "save the list", 120, 5760, 1215, 375, false,
            26);
        row("List1", "QListView", frame, none, "Random url-list", 120, 360, 9375, 5325, false, 25);
        row("Command4", "QPushButton", onForm, "<< Edit      ", none, 6960, 3000, 975, 345, false,
            22);
        row("Option1", "QRadioButton", onForm, "---->", none, 260, 2280, 600, 255, false, 20);
        row("Combo2", "QComboBox", onForm, none, none, 840, 3000, 6015, 315, false, 18);
        // The monitor the window holds owns its timer.
        row("Timer1", "IntervalTimer", "monitor", none, none, kNone, kNone, kNone, kNone, false,
            kNoTab);
        row("Text1", "QLineEdit", onForm, none, url, 840, 2280, 6015, 300, false, 17);
        row("Combo1", "QComboBox", onForm, none, "timer interval", 8160, 2280, 1455, 315, false,
            15);
        row("Command3", "QPushButton", onForm, "<< Browse", "Browse to url", 6960, 2280, 975, 345,
            false, 7);
        row("Command2", "QPushButton", onForm, "select wav", wav, 8160, 2760, 1455, 225, false, 6);
        row("Command1", "QPushButton", onForm, "Start", "Start/Stop Timer-Update", 9840, 2280, 1935,
            585, false, 5);
        row("brwWebBrowser", "QWidget", onForm, none, none, 120, 120, 4215, 1455, false, 4);
        row("picAddress", "QWidget", onForm, none, none, 0, 630, 11400, 675, false, 1);
        row("cboAddress", "QComboBox", pic, none, none, 45, 300, 3795, 315, true, 2);
        row("lblAddress", "QLabel", pic, "&Address:", none, 45, 60, 3075, 255, true, 3);
        row("tbToolBar", "QToolBar", onForm, none, none, 0, 0, 11400, 630, true, 0);
        row("imlIcons", "ImageList", onForm, none, none, kNone, kNone, kNone, kNone, false, kNoTab);
        row("Option2", "QRadioButton", onForm, "---->", none, 260, 3000, 615, 195, false, 21);
        row("Check1", "WrappingCheckBox", onForm, check, "This is only valid to single-Url Mode",
            8160, 3000, 3135, 375, false, 32);
        row("Label10", "QLabel", onForm, "Mode", none, 120, 2040, 615, 255, false, 23);
        row("Label9", "QLabel", onForm, "Url - Random list", none, 840, 2760, 1935, 255, false, 19);
        row("Label8", "QLabel", onForm, "Url - Single", none, 840, 2040, 1575, 255, false, 16);
        row("Label7", "QLabel", onForm, form_credit(), none, 8400, 5280, 6015, 255, true, 14);
        row("Label6", "QLabel", onForm, "Timer Interval", none, 8160, 2040, 1575, 255, false, 13);
        row("Label5", "QLabel", onForm, "0", none, 9120, 4080, 255, 255, true, 12);
        row("Label4", "QLabel", onForm, "of", none, 8640, 4080, 255, 255, true, 11);
        row("Label3", "QLabel", onForm, "0", none, 8040, 4080, 495, 255, true, 10);
        row("Label2", "QLabel", onForm, "Next Update     -", none, 6600, 4080, 1215, 255, true, 9);
        row("Label1", "QLabel", onForm, none, none, 120, 1440, 7575, 495, false, 8);
    }

    void everyControlAsCreated() {
        QFETCH(QString, kind);
        QFETCH(QString, parent);
        QFETCH(QString, caption);
        QFETCH(QString, toolTip);
        QFETCH(float, left);
        QFETCH(float, top);
        QFETCH(float, width);
        QFETCH(float, height);
        QFETCH(bool, hidden);
        QFETCH(int, tab);

        const QString name = QString::fromLatin1(QTest::currentDataTag());
        QObject* o = form->findChild<QObject*>(name);
        QVERIFY2(o, qPrintable(name));
        QCOMPARE(QString::fromLatin1(o->metaObject()->className()), kind);
        QVERIFY(o->parent());
        QCOMPARE(o->parent()->objectName(), parent);

        auto* w = qobject_cast<QWidget*>(o);
        if (!w) {
            QCOMPARE(left, kNone); // only the timer and the image list are not widgets
            return;
        }
        QCOMPARE(captionOf(w), caption);
        QCOMPARE(w->toolTip(), toolTip);
        const twips::Rect r = twips::geometry(w);
        QCOMPARE(r.left, left);
        QCOMPARE(r.top, top);
        QCOMPARE(r.width, width);
        QCOMPARE(r.height, height);
        // The pixels on screen follow the twips.
        const double s = twips::pixelsPerTwip(w);
        QCOMPARE(w->geometry(), QRect(twips::toPixels(left, s), twips::toPixels(top, s),
                                      twips::toPixels(width, s), twips::toPixels(height, s)));
        QCOMPARE(w->isHidden(), hidden);
        QVERIFY(w->isEnabled());
        QCOMPARE(w->property("tabIndex").toInt(), tab);
    }

    void windowAtStart() {
        QCOMPARE(form->font().family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(form->font().pointSizeF(), 8.0);
        QCOMPARE(form->windowTitle(), form_credit());
        QVERIFY(form->windowTitle().contains(QStringLiteral("Vigilo")));
        QVERIFY(form->windowTitle().contains(QStringLiteral("1.0")));
        QVERIFY(form->windowTitle().contains(QStringLiteral("the Vigilo developers")));
        QVERIFY(!form->windowTitle().contains(QLatin1Char('@')));
        const double s = twips::pixelsPerTwip(form.get());
        // The classic client area, and the status line below it.
        QCOMPARE(form->size(),
                 QSize(twips::toPixels(11400, s),
                       twips::toPixels(8595, s) + form->statusLine->sizeHint().height()));
        QVERIFY(!form->windowIcon().isNull());
        QVERIFY(form->windowIcon().availableSizes().contains(QSize(32, 32)));
        const Qt::WindowFlags flags = form->windowFlags();
        QVERIFY(flags.testFlag(Qt::Window));
        QVERIFY(!(flags & Qt::FramelessWindowHint));
        QVERIFY(!form->windowState().testFlag(Qt::WindowMaximized));
        QVERIFY(!form->Timer1->enabled());
        QCOMPARE(form->Timer1->interval(), 0);
        QVERIFY(form->Option1->isChecked());
        QVERIFY(!form->Option2->isChecked());
        QVERIFY(!form->Check1->isChecked());
        QVERIFY(form->StartingAddress.isEmpty());
        // Label7 is written in white.
        QCOMPARE(form->Label7->palette().color(QPalette::WindowText) == QColor(Qt::white) ||
                     form->Label7->styleSheet().contains(QStringLiteral("white")),
                 true);
    }

    void fonts() {
        for (QLabel* heading : {form->Label6, form->Label8, form->Label9, form->Label10}) {
            QCOMPARE(heading->font().family(), QStringLiteral("MS Sans Serif"));
            QCOMPARE(heading->font().styleHint(), QFont::SansSerif);
            QCOMPARE(heading->font().pointSizeF(), 9.75);
            QCOMPARE(heading->font().weight(), QFont::Bold);
        }
        QCOMPARE(form->Label1->font().family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(form->Label1->font().pointSizeF(), 12.0);
        QCOMPARE(form->Label1->font().weight(), QFont::Normal);
        // Every other control keeps the window's own font.
        for (QWidget* w : form->findChildren<QWidget*>()) {
            if (w == form->Label1 || w == form->Label6 || w == form->Label8 || w == form->Label9 ||
                w == form->Label10 || !w->objectName().size())
                continue;
            QVERIFY2(!w->testAttribute(Qt::WA_SetFont), qPrintable(w->objectName()));
        }
    }

    void intervalListAndEditableCombos() {
        const QStringList captions{"10 sec", "30 sec", "1 min",  "5 min", "10 min",
                                   "30 min", "1 hour", "2 hour", "3 hour"};
        QCOMPARE(form->Combo1->count(), captions.size());
        for (int i = 0; i < captions.size(); ++i) {
            QCOMPARE(form->Combo1->itemText(i), captions.at(i));
            QVERIFY(form->Combo1->itemData(i).isValid());
            QCOMPARE(form->Combo1->itemData(i).toInt(), 0);
        }
        QCOMPARE(form->Combo1->currentIndex(), -1);
        QCOMPARE(form->Combo1->currentText(), QString());
        QCOMPARE(form->Combo2->count(), 0);
        for (QComboBox* c : {form->Combo1, form->Combo2, form->cboAddress}) {
            QVERIFY2(c->isEditable(), qPrintable(c->objectName()));
            // Enter in the edit field must not slip the text into the list.
            QCOMPARE(c->insertPolicy(), QComboBox::NoInsert);
        }
    }

    void textBoxes() {
        for (QPlainTextEdit* e : {form->OrginalSidan, form->txtRawHTML}) {
            QCOMPARE(e->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
            QCOMPARE(e->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
            QCOMPARE(e->lineWrapMode(), QPlainTextEdit::NoWrap);
        }
        // No text box cuts a long URL short.
        const QString longUrl = QStringLiteral("http://example.org/?q=") + QString(40000, 'x');
        for (QLineEdit* e : {form->Text1, form->Text2}) {
            e->setText(longUrl);
            QCOMPARE(e->text(), longUrl);
        }
    }

    void toolbarAndImages() {
        const QStringList keys{"Back", "Forward", "Stop", "Refresh", "Home", "Search"};
        const QList<QAction*> buttons = form->tbToolBar->actions();
        QCOMPARE(buttons.size(), keys.size());
        QCOMPARE(form->imlIcons->count(), keys.size());
        QList<QImage> seen;
        for (int i = 0; i < keys.size(); ++i) {
            QCOMPARE(buttons.at(i)->data().toString(), keys.at(i));
            const QIcon image = form->imlIcons->image(i + 1);
            QCOMPARE(image.availableSizes(), QList<QSize>{QSize(24, 24)});
            QCOMPARE(buttons.at(i)->icon().cacheKey(), image.cacheKey());
            const QImage pixels = image.pixmap(24, 24).toImage();
            QVERIFY2(!seen.contains(pixels), qPrintable(keys.at(i))); // six different images
            seen.append(pixels);
        }
    }

    void stacking() {
        // Among siblings, the later child is painted on top; the control
        // created earlier must lie above.
        const QObjectList& order = form->children();
        auto above = [&](QWidget* upper, QWidget* lower) {
            return order.indexOf(upper) > order.indexOf(lower);
        };
        QVERIFY(above(form->brwWebBrowser, form->picAddress));
        QVERIFY(above(form->Command4, form->Label1));
        QVERIFY(above(form->Frame1, form->Command1));
        const QObjectList& inFrame = form->Frame1->children();
        QVERIFY(inFrame.indexOf(form->Command9) > inFrame.indexOf(form->List1));

        // Shown, the editor frame takes every click meant for the controls.
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        form->Frame1->show();
        int covered = 0;
        for (QWidget* w : form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (w == form->Frame1 || w->isHidden())
                continue;
            const QPoint centre = w->geometry().center();
            if (!form->Frame1->geometry().contains(centre))
                continue;
            QWidget* hit = form->childAt(centre);
            QVERIFY2(hit && (hit == form->Frame1 || form->Frame1->isAncestorOf(hit)),
                     qPrintable(w->objectName()));
            ++covered;
        }
        QVERIFY(covered >= 10);
    }

    void tabOrderFollowsTabIndex() {
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        // Walk the focus chain once around and keep the named controls that
        // take focus: their tab indexes must rise.
        QList<int> indexes;
        QWidget* w = form.get();
        do {
            w = w->nextInFocusChain();
            if (w->isVisible() && w->focusPolicy() & Qt::TabFocus &&
                w->property("tabIndex").isValid())
                indexes.append(w->property("tabIndex").toInt());
        } while (w != form.get());
        QVERIFY(indexes.size() >= 8);
        QVERIFY2(std::is_sorted(indexes.begin(), indexes.end()),
                 qPrintable(QString::number(indexes.size())));
    }

    // A screen reader can tell every control apart by its name; captions
    // stay as they are.
    void namesForAssistiveTools() {
        auto name = [](QWidget* w) {
            return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name).trimmed();
        };
        QCOMPARE(QAccessible::queryAccessibleInterface(form.get())->role(), QAccessible::Window);
        QCOMPARE(name(form.get()), form->windowTitle());
        QCOMPARE(form->Option2->text(), QStringLiteral("---->"));
        QCOMPARE(name(form->Option1), QStringLiteral("Single URL mode"));
        QCOMPARE(name(form->Option2), QStringLiteral("Random list mode"));
        QCOMPARE(QAccessible::queryAccessibleInterface(form->Combo1)
                     ->relations(QAccessible::Label)
                     .value(0)
                     .first->object(),
                 form->Label6);
        form->show();
        for (bool editorOpen : {false, true}) {
            form->Frame1->setVisible(editorOpen);
            QStringList names;
            for (QWidget* w : form->findChildren<QWidget*>())
                if (w->isVisible() && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy() &&
                    editorOpen == form->Frame1->isAncestorOf(w))
                    names << name(w);
            QVERIFY2(!names.contains(QString()) && names.size() >= 7 &&
                         names.size() == QSet<QString>(names.begin(), names.end()).size(),
                     qPrintable(names.join(QLatin1Char('|'))));
        }
    }

    // Controls the window never shows stay away from assistive tools: out of
    // the tree, and silent from start-up through countdown ticks, a period
    // end and "<< Browse", while the controls the user sees still speak.
    void hiddenControlsStayAwayFromAssistiveTools() {
        form.reset();
        if (!listenAsAssistiveTool(true))
            QSKIP("needs Qt's platform headers (qt6-base-private-dev)");
        toldAbout.clear();
        QAccessible::installUpdateHandler(recordEvent);
        const auto restore = qScopeGuard([] {
            QAccessible::installUpdateHandler(nullptr);
            listenAsAssistiveTool(false);
        });
        // Built while a tool listens, as under a screen reader already running.
        form = std::make_unique<Form1>(fakes->platform());
        fakes->reader.pages.insert("http://watched/", {QByteArray("<p>page</p>"), 0, {}});
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QTest::keyClicks(form->Text1, QStringLiteral("http://watched/"));
        form->Combo1->setEditText(QStringLiteral("5 min"));
        form->Command1_Click();
        for (int tick = 0; tick < 6; ++tick) // five countdown ticks, then a period end
            form->Timer1_Timer();
        QTRY_VERIFY(!form->monitor().bBusy());
        form->Command3_Click();
        QCOMPARE(form->Label3->text(), QStringLiteral("min0"));
        QCOMPARE(form->cboAddress->count(), 3);

        // Inside a control of the window or of its address strip that is
        // hidden for good (the list editor is hidden only while closed).
        auto neverShown = [&](const QObject* o) {
            for (; o; o = o->parent())
                if (o->parent() == form.get() || o->parent() == form->picAddress) {
                    auto* control = qobject_cast<const QWidget*>(o);
                    return control && control != form->Frame1 && control->isHidden();
                }
            return false;
        };
        QVERIFY(neverShown(form->Label3) && neverShown(form->cboAddress->lineEdit()));
        int fromText1 = 0;
        for (const QPointer<QObject>& o : std::as_const(toldAbout)) {
            QVERIFY2(!neverShown(o), o ? o->metaObject()->className() : "");
            fromText1 += o == form->Text1;
        }
        QVERIFY(fromText1 > 0); // what the user typed was told
        QList<QWidget*> reached;
        reachableWidgets(QAccessible::queryAccessibleInterface(form.get()), reached);
        QVERIFY(reached.contains(form->Check1) && reached.contains(form->picAddress));
        for (QWidget* w : std::as_const(reached))
            QVERIFY2(!neverShown(w), qPrintable(w->objectName()));
    }

    // The status line tells a screen reader each outcome of a period end by
    // its name, and says nothing of the reader's progress; the focus stays.
    void statusLineTellsOutcomesOnly() {
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->Text1->setFocus();
        if (!listenAsAssistiveTool(true))
            QSKIP("needs Qt's platform headers (qt6-base-private-dev)");
        toldAbout.clear();
        toldWhat.clear();
        QAccessible::installUpdateHandler(recordEvent);
        const auto restore = qScopeGuard([] {
            QAccessible::installUpdateHandler(nullptr);
            listenAsAssistiveTool(false);
        });
        auto namesTold = [&] {
            QStringList names;
            for (qsizetype i = 0; i < toldAbout.size(); ++i)
                if (toldAbout[i] == form->statusText && toldWhat[i] == QAccessible::NameChanged)
                    names << QAccessible::queryAccessibleInterface(form->statusText)
                                 ->text(QAccessible::Name);
            return names;
        };
        form->Text1->setText(QStringLiteral("http://watched/"));
        form->Timer1_Timer();
        fakes->reader.progress(4000);
        QCOMPARE(form->statusText->text(), QStringLiteral("Reading Url: 4000 bytes read"));
        QVERIFY(namesTold().isEmpty());
        fakes->reader.finish("<p>page</p>");
        const QStringList told = namesTold();
        QCOMPARE(told.size(), 1);
        QVERIFY2(told[0].startsWith("Checked at "), qPrintable(told[0]));
        QCOMPARE(form->statusText->text(), told[0]);
        QCOMPARE(QApplication::focusWidget(), form->Text1);
    }

    // The sound box's caption wraps inside the box and is there whole; every
    // line of it takes the click, and the focus frame goes around the text.
    void soundCaptionWrapsInsideItsBox() {
        auto* box = qobject_cast<WrappingCheckBox*>(form->Check1);
        QVERIFY(box);
        QCOMPARE(QAccessible::queryAccessibleInterface(box)->text(QAccessible::Name), box->text());
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        // The window's font, and one far larger than the box was made for.
        for (double points : {8.0, 11.0}) {
            QFont font = form->font();
            font.setPointSizeF(points);
            form->setFont(font);
            const WrappingCheckBox::Caption c = box->caption();
            QVERIFY(box->rect().contains(c.bounds));
            QVERIFY(c.bounds.height() >= 2 * QFontMetrics(c.font).height()); // two lines
            const bool before = box->isChecked();
            // The far end of the last line.
            QTest::mouseClick(box, Qt::LeftButton, {}, c.bounds.bottomRight() - QPoint(2, 2));
            QCOMPARE(box->isChecked(), !before);
        }
        form->setFont(QFont());
        form->Text1->setFocus();
        const QImage unfocused = box->grab().toImage();
        // Reached with the keyboard, as the focus frame is only drawn then.
        form->Command4->setFocus();
        QTest::keyClick(form->Command4, Qt::Key_Tab);
        QVERIFY(box->hasFocus());
        const QRect text = box->caption().bounds;
        const QRect frame = differingPixels(unfocused, box->grab().toImage(),
                                            QRect(0, 0, text.left() - 2, box->height()));
        QVERIFY(text.adjusted(-2, -2, 2, 2).contains(frame) &&
                frame.contains(text.adjusted(2, 2, -2, -2)));
    }

private:
    static QString form_credit();
    std::unique_ptr<FakePlatform> fakes;
    std::unique_ptr<Form1> form;
};

#include "mainwindow/credits.h"

QString TstForm1Controls::form_credit() {
    return QString::fromLatin1(kCreditLine);
}

QTEST_MAIN(TstForm1Controls)
#include "tst_form1_controls.moc"
