#include "fake_platform.h"
#include "mainwindow/form1.h"

#include <QAccessibleActionInterface>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <memory>

namespace {

QWidget* focused() {
    return QApplication::focusWidget();
}

// The names of the controls that get the focus on `count` presses of `key`.
QStringList walk(Qt::Key key, int count) {
    QStringList seen;
    for (int i = 0; i < count; ++i) {
        QTest::keyClick(focused(), key);
        seen.append(focused()->objectName());
    }
    return seen;
}

void act(QWidget* w, const QString& action) {
    QAccessible::queryAccessibleInterface(w)->actionInterface()->doAction(action);
}

bool singleUrlControlsEnabled(const Form1& f) {
    return f.Text1->isEnabled() && f.Command3->isEnabled() && f.Check1->isEnabled();
}

} // namespace

// Keys and assistive tools' actions, as real events on the active window.
class TstForm1Keyboard : public QObject {
    Q_OBJECT
private slots:
    void init() {
        form = std::make_unique<Form1>(fakes.platform());
        form->Combo2->addItems(
            {QStringLiteral("http://a.example/"), QStringLiteral("http://b.example/")});
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }
    void cleanup() { form.reset(); }

    // While the editor covers the window, focus, Tab and typed keys stay in
    // it; Escape is its Cancel, and closing gives the focus to "<< Edit".
    void editorKeepsTheKeyboard() {
        form->Command4->setFocus();
        QTest::keyClick(focused(), Qt::Key_Space);
        QCOMPARE(focused(), form->Text2);
        QCOMPARE(walk(Qt::Key_Tab, 7), QStringList({"Command9", "List1", "Command5", "Command6",
                                                    "Command7", "Command8", "Text2"}));
        QCOMPARE(walk(Qt::Key_Backtab, 2), QStringList({"Command8", "Command7"}));

        form->Text1->setFocus(); // covered: by code, or an assistive tool's action
        act(form->Command1, QAccessibleActionInterface::setFocusAction());
        QCOMPARE(focused(), form->Command7);
        form->Text2->setFocus();
        QTest::keyClicks(focused(), QStringLiteral("typed"));
        QCOMPARE(form->Text2->text(), QStringLiteral("typed"));
        QVERIFY(form->Text1->text().isEmpty());

        QTest::keyClick(focused(), Qt::Key_Escape);
        QVERIFY(form->Frame1->isHidden());
        QCOMPARE(form->List1->model()->rowCount(), 0);
        QCOMPARE(focused(), form->Command4);
        QTest::keyClick(focused(), Qt::Key_Tab); // closed: Tab leaves the frame alone
        QVERIFY(!form->Frame1->isAncestorOf(focused()));

        // Enter presses the focused button: Save, which also hands back the focus.
        QTest::keyClick(form->Command4, Qt::Key_Return);
        form->Command5->setFocus();
        QTest::keyClick(focused(), Qt::Key_Enter);
        QCOMPARE(fakes.messages.shown.size(), 1);
        QVERIFY(form->Frame1->isHidden());
        QCOMPARE(focused(), form->Command4);
        form->Combo1->setEditText(QStringLiteral("10 sec"));
        QTest::keyClick(form->Command1, Qt::Key_Return);
        QCOMPARE(form->Command1->text(), QStringLiteral("Stop"));
    }

    // A mode switch follows its button however it becomes selected, and
    // only when it does.
    void modeSwitchesHoweverChosen() {
        act(form->Option2, QAccessibleActionInterface::toggleAction());
        QVERIFY(form->Option2->isChecked() && !form->Text1->isEnabled() &&
                !form->Command3->isEnabled() && !form->Check1->isEnabled());
        act(form->Option1, QAccessibleActionInterface::toggleAction());
        QVERIFY(form->Option1->isChecked() && singleUrlControlsEnabled(*form));
        form->Check1->setEnabled(false);
        act(form->Option1, QAccessibleActionInterface::toggleAction()); // already selected
        QVERIFY(!form->Check1->isEnabled());
        form->Check1->setEnabled(true);

        form->Option1->setFocus();
        QTest::keyClick(focused(), Qt::Key_Down);
        QVERIFY(form->Option2->isChecked() && !form->Text1->isEnabled());
        QTest::keyClick(focused(), Qt::Key_Up);
        QVERIFY(singleUrlControlsEnabled(*form));
    }

private:
    FakePlatform fakes;
    std::unique_ptr<Form1> form;
};

QTEST_MAIN(TstForm1Keyboard)
#include "tst_form1_keyboard.moc"
