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

// The box as it was while open, seen from its own event loop.
struct OpenBox {
    QString text;
    bool modal = false;
    bool asksNotToBeFocused = false;
    QList<bool> modalAsShown; // per window shown; Qt activates a modal one
    qsizetype alerts = -1;
};

class ShownWindows : public QObject {
public:
    QList<bool>* modal = nullptr;

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (auto* window = qobject_cast<QWindow*>(object); window && event->type() == QEvent::Show)
            modal->append(window->isModal());
        return false;
    }
};

} // namespace

// Offscreen every window shown becomes active, so where the keyboard goes is
// tried on a real display (README); here, what the box asks for.
class TestQtMessageBoxes : public QObject {
    Q_OBJECT

private slots:
    void init() {
        main_ = std::make_unique<QWidget>();
        alerts_.alerted.clear();
        main_->show();
        QVERIFY(QTest::qWaitForWindowActive(main_.get()));
    }

    void whileTheUserIsInTheWindowTheBoxTakesTheKeyboard() {
        const OpenBox open = showAndAnswer();
        QCOMPARE(open.text, QStringLiteral("Error: gone")); // show() waited for OK
        QVERIFY(open.modal);
        QCOMPARE(open.modalAsShown, QList<bool>{true});
        QVERIFY(!open.asksNotToBeFocused);
        QCOMPARE(open.alerts, 0);
    }

    void whileTheUserIsElsewhereTheBoxWaitsWithoutTakingIt() {
        QWindowSystemInterface::handleWindowActivated(nullptr); // another program's window
        QTRY_VERIFY(!QApplication::activeWindow());
        const OpenBox open = showAndAnswer();
        QCOMPARE(open.text, QStringLiteral("Error: gone"));
        QVERIFY(open.modal); // once on screen
        QCOMPARE(open.modalAsShown, QList<bool>{false});
        QVERIFY(open.asksNotToBeFocused);
        QCOMPARE(open.alerts, 1); // before the box came
        QCOMPARE(alerts_.alerted, QList<QWidget*>{main_.get()});
        QVERIFY(!QGuiApplication::modalWindow());
    }

private:
    OpenBox showAndAnswer() {
        OpenBox open;
        QTimer answer;
        connect(&answer, &QTimer::timeout, this, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    open.text = box->text();
                    open.modal = QGuiApplication::modalWindow() == box->windowHandle();
                    open.asksNotToBeFocused = box->testAttribute(Qt::WA_ShowWithoutActivating);
                    open.alerts = alerts_.alerted.size();
                    box->button(QMessageBox::Ok)->click();
                }
        });
        answer.start(0);
        ShownWindows shown;
        shown.modal = &open.modalAsShown;
        qApp->installEventFilter(&shown);
        QtMessageBoxes boxes(alerts_);
        boxes.setParentWindow(main_.get());
        boxes.show(QStringLiteral("Error: gone"), QStringLiteral("Vigilo"));
        qApp->removeEventFilter(&shown);
        return open;
    }

    std::unique_ptr<QWidget> main_;
    FakeWindowAlerts alerts_;
};

QTEST_MAIN(TestQtMessageBoxes)
#include "tst_qt_message_boxes.moc"
