#include "fake_platform.h"
#include "mainwindow/form1.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <memory>

namespace {

QWidget* focused() {
    return QApplication::focusWidget();
}

QString nameOf(const QWidget* w) {
    return w ? w->objectName() : QStringLiteral("<none>");
}

// The controls that get the focus on `count` presses of `key`.
QStringList walk(Qt::Key key, int count) {
    QStringList seen;
    for (int i = 0; i < count; ++i) {
        QTest::keyClick(focused(), key);
        seen.append(nameOf(focused()));
    }
    return seen;
}

bool singleUrlControlsEnabled(const Form1& f) {
    return f.Text1->isEnabled() && f.Command3->isEnabled() && f.Check1->isEnabled();
}
bool singleUrlControlsDisabled(const Form1& f) {
    return !f.Text1->isEnabled() && !f.Command3->isEnabled() && !f.Check1->isEnabled();
}

void doAccessibleAction(QWidget* w, const QString& action) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    QVERIFY(iface && iface->actionInterface());
    QVERIFY2(iface->actionInterface()->actionNames().contains(action), qPrintable(action));
    iface->actionInterface()->doAction(action);
}

} // namespace

// The main window driven by keys and by assistive tools' actions, as real
// events on the shown, active window.
class TstForm1Keyboard : public QObject {
    Q_OBJECT
private slots:
    void init() {
        fakes = std::make_unique<FakePlatform>();
        form = std::make_unique<Form1>(fakes->platform());
        form->Combo2->addItems(
            {QStringLiteral("http://a.example/"), QStringLiteral("http://b.example/")});
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }
    void cleanup() {
        form.reset();
        fakes.reset();
    }

    // While the editor covers the window, focus, Tab and typed keys stay in
    // it; Escape is its Cancel and gives the focus back to "<< Edit".
    void editorKeepsTheKeyboard() {
        form->Command4->setFocus();
        QTest::keyClick(form->Command4, Qt::Key_Space);
        QVERIFY(form->Frame1->isVisible());
        QTRY_COMPARE(focused(), form->Text2);

        const QStringList ring{"Command9", "List1",    "Command5", "Command6",
                               "Command7", "Command8", "Text2"};
        QCOMPARE(walk(Qt::Key_Tab, 7), ring);
        QStringList back{"Command8", "Command7", "Command6", "Command5",
                         "List1",    "Command9", "Text2"};
        QCOMPARE(walk(Qt::Key_Backtab, 7), back);

        // Covered controls cannot take the focus, by code or by an assistive
        // tool's SetFocus action.
        form->Text1->setFocus();
        QCOMPARE(focused(), form->Text2);
        form->List1->setFocus();
        form->Command1->setFocus();
        QCOMPARE(focused(), form->List1);
        doAccessibleAction(form->Command1, QAccessibleActionInterface::setFocusAction());
        QCOMPARE(focused(), form->List1);

        form->Text2->setFocus();
        QTest::keyClicks(focused(), QStringLiteral("typed"));
        QCOMPARE(form->Text2->text(), QStringLiteral("typed"));
        QVERIFY(form->Text1->text().isEmpty());
        QVERIFY(form->Combo1->currentText().isEmpty());
        QCOMPARE(form->Combo2->count(), 2);

        QTest::keyClick(focused(), Qt::Key_Escape);
        QVERIFY(form->Frame1->isHidden());
        QCOMPARE(form->List1->count(), 0);
        QCOMPARE(form->Combo2->count(), 2);
        QCOMPARE(focused(), form->Command4);
        // Closed, the editor lets Tab go round the whole window again.
        QTest::keyClick(focused(), Qt::Key_Tab);
        QVERIFY2(!form->Frame1->isAncestorOf(focused()), qPrintable(nameOf(focused())));
    }

    // Escape reaches Cancel from every control of the editor, and Save
    // hands the focus back too.
    void editorClosesBackToEdit() {
        for (const char* from : {"List1", "Command5", "Command9"}) {
            form->Command4->click();
            form->findChild<QWidget*>(QString::fromLatin1(from))->setFocus();
            QTest::keyClick(focused(), Qt::Key_Escape);
            QVERIFY2(form->Frame1->isHidden(), from);
            QCOMPARE(focused(), form->Command4);
        }
        form->Command4->click();
        QTRY_COMPARE(focused(), form->Text2);
        form->Command5->setFocus();
        QTest::keyClick(focused(), Qt::Key_Return);
        QCOMPARE(fakes->messages.shown.size(), 1);
        QCOMPARE(fakes->messages.shown.at(0).first, QStringLiteral("Saved...and updated in main"));
        QVERIFY(form->Frame1->isHidden());
        QCOMPARE(focused(), form->Command4);
    }

    // Enter presses the focused button, as Space does; it does not reach
    // another button.
    void enterPressesTheFocusedButton() {
        form->Combo1->setEditText(QStringLiteral("10 sec"));
        form->Command1->setFocus();
        QTest::keyClick(focused(), Qt::Key_Return);
        QCOMPARE(form->Command1->text(), QStringLiteral("Stop"));
        QTest::keyClick(focused(), Qt::Key_Enter); // the keypad's
        QCOMPARE(form->Command1->text(), QStringLiteral("Start"));
        QTest::keyClick(focused(), Qt::Key_Space);
        QCOMPARE(form->Command1->text(), QStringLiteral("Stop"));

        form->Text1->setText(QStringLiteral("http://typed.example/"));
        form->Command3->setFocus();
        QTest::keyClick(focused(), Qt::Key_Return);
        QCOMPARE(fakes->browser.navigated.last(), QStringLiteral("http://typed.example/"));
        QCOMPARE(form->Command1->text(), QStringLiteral("Stop"));

        form->Command4->setFocus();
        QTest::keyClick(focused(), Qt::Key_Return);
        QVERIFY(form->Frame1->isVisible());
    }

    // A mode switch follows its button however it becomes selected.
    void modeSwitchesHoweverChosen() {
        // An assistive tool's Toggle action, both ways.
        doAccessibleAction(form->Option2, QAccessibleActionInterface::toggleAction());
        QVERIFY(form->Option2->isChecked());
        QVERIFY(singleUrlControlsDisabled(*form));
        doAccessibleAction(form->Option1, QAccessibleActionInterface::toggleAction());
        QVERIFY(form->Option1->isChecked());
        QVERIFY(singleUrlControlsEnabled(*form));

        // Toggling the selected button selects nothing new: no switch runs.
        form->Check1->setEnabled(false);
        doAccessibleAction(form->Option1, QAccessibleActionInterface::toggleAction());
        QVERIFY(form->Option1->isChecked());
        QVERIFY(!form->Check1->isEnabled());
        form->Check1->setEnabled(true);

        // The arrow keys move the selection within the group.
        form->Option1->setFocus();
        QTest::keyClick(focused(), Qt::Key_Down);
        QVERIFY(form->Option2->isChecked());
        QVERIFY(singleUrlControlsDisabled(*form));
        QTest::keyClick(focused(), Qt::Key_Up);
        QVERIFY(form->Option1->isChecked());
        QVERIFY(singleUrlControlsEnabled(*form));

        // And by code.
        form->Option2->setChecked(true);
        QVERIFY(singleUrlControlsDisabled(*form));
        form->Option1->setChecked(true);
        QVERIFY(singleUrlControlsEnabled(*form));
    }

private:
    std::unique_ptr<FakePlatform> fakes;
    std::unique_ptr<Form1> form;
};

QTEST_MAIN(TstForm1Keyboard)
#include "tst_form1_keyboard.moc"
