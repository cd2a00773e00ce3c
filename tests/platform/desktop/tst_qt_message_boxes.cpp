#include "fake_platform.h"
#include "platform/desktop/qt_message_boxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>
#include <QtTest>
#include <qpa/qwindowsysteminterface.h>

namespace {

// What the box was like while it was open, seen from its own event loop.
struct OpenBox {
    bool seen = false;
    // Qt asks the window manager to activate a window that is modal as it is
    // shown.
    QList<bool> windowsShownModal;
    QString text;
    QString title;
    bool opensWithoutActivating = false;
    bool modal = false;
    int alertsWhileOpen = -1;
};

// Notes, for each window shown, whether it was modal then.
class ShownWindows : public QObject {
public:
    explicit ShownWindows(QList<bool>& modal) : modal_(modal) {}

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (auto* window = qobject_cast<QWindow*>(object); window && event->type() == QEvent::Show)
            modal_.append(window->isModal());
        return false;
    }

private:
    QList<bool>& modal_;
};

// Counts the times the window is told it is blocked by a modal window.
class BlockedEvents : public QObject {
public:
    int blocked = 0;
    int unblocked = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::WindowBlocked)
            ++blocked;
        else if (event->type() == QEvent::WindowUnblocked)
            ++unblocked;
        return false;
    }
};

} // namespace

// The box as the user meets it: while the user works in another program, it
// opens without asking for the keyboard and the main window asks for
// attention; while the user is in the window, it opens as it always did.
// Either way it is modal and show() waits for OK. Offscreen every window
// that is shown becomes active, so where the keyboard goes is tried on a
// real display (README); here the box's own request is what is checked.
class TestQtMessageBoxes : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void whileTheUserIsInTheWindowTheBoxTakesTheKeyboard();
    void whileTheUserIsElsewhereTheBoxWaitsWithoutTakingIt();

private:
    // Shows a box and answers it from its own event loop, noting what it was
    // like.
    OpenBox showAndAnswer(const QString& prompt, const QString& title);

    std::unique_ptr<QWidget> main_;
    FakeWindowAlerts alerts_;
    std::unique_ptr<QtMessageBoxes> boxes_;
};

void TestQtMessageBoxes::init() {
    main_ = std::make_unique<QWidget>();
    alerts_.alerted.clear();
    boxes_ = std::make_unique<QtMessageBoxes>(alerts_);
    boxes_->setParentWindow(main_.get());
    main_->show();
    main_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main_.get()));
}

void TestQtMessageBoxes::cleanup() {
    boxes_.reset();
    main_.reset();
}

OpenBox TestQtMessageBoxes::showAndAnswer(const QString& prompt, const QString& title) {
    OpenBox open;
    QTimer answer;
    connect(&answer, &QTimer::timeout, this, [&] {
        QMessageBox* box = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible())
                box = b;
        if (!box || open.seen)
            return;
        open.seen = true;
        open.text = box->text();
        open.title = box->windowTitle();
        open.opensWithoutActivating = box->testAttribute(Qt::WA_ShowWithoutActivating);
        open.modal = QGuiApplication::modalWindow() == box->windowHandle();
        open.alertsWhileOpen = int(alerts_.alerted.size());
        box->button(QMessageBox::Ok)->click();
    });
    answer.start(0);
    ShownWindows shown(open.windowsShownModal);
    qApp->installEventFilter(&shown);
    boxes_->show(prompt, title);
    qApp->removeEventFilter(&shown);
    return open;
}

void TestQtMessageBoxes::whileTheUserIsInTheWindowTheBoxTakesTheKeyboard() {
    const OpenBox open = showAndAnswer(QStringLiteral("Error: gone"), QStringLiteral("Vigilo"));
    QVERIFY(open.seen); // show() waited for the answer
    QCOMPARE(open.text, QStringLiteral("Error: gone"));
    QCOMPARE(open.title, QStringLiteral("Vigilo"));
    QVERIFY(open.modal);
    QVERIFY(!open.opensWithoutActivating);
    QCOMPARE(open.windowsShownModal, QList<bool>{true});
    QCOMPARE(open.alertsWhileOpen, 0);
    QTRY_VERIFY(main_->isActiveWindow());
}

void TestQtMessageBoxes::whileTheUserIsElsewhereTheBoxWaitsWithoutTakingIt() {
    // Another program's window takes the keyboard.
    QWindowSystemInterface::handleWindowActivated(nullptr);
    QTRY_VERIFY(!QApplication::activeWindow());
    BlockedEvents told;
    main_->windowHandle()->installEventFilter(&told);

    const OpenBox open = showAndAnswer(QStringLiteral("Error: gone"), QStringLiteral("Vigilo"));
    QVERIFY(open.seen);
    QCOMPARE(open.text, QStringLiteral("Error: gone"));
    QCOMPARE(open.title, QStringLiteral("Vigilo"));
    QVERIFY(open.opensWithoutActivating);
    QCOMPARE(open.windowsShownModal, QList<bool>{false});
    // Modal once open: the main window takes no input until the answer.
    QVERIFY(open.modal);
    QCOMPARE(told.blocked, 1);
    QCOMPARE(told.unblocked, 1);
    // The taskbar asked for the user's eye before the box came.
    QCOMPARE(open.alertsWhileOpen, 1);
    QCOMPARE(alerts_.alerted, QList<QWidget*>{main_.get()});
    QVERIFY(!QGuiApplication::modalWindow());
}

QTEST_MAIN(TestQtMessageBoxes)
#include "tst_qt_message_boxes.moc"
