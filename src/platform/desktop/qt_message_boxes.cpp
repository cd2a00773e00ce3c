#include "platform/desktop/qt_message_boxes.h"

#include "platform/window_alerts.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <QtGui/private/qguiapplication_p.h>

// A box belongs to the window the user is working in, which has the keyboard
// again once the box is answered, whatever window the window manager would
// pick next.
void QtMessageBoxes::show(const QString& prompt, const QString& title) {
    QPointer<QWidget> owner = QApplication::activeWindow();
    const bool userIsHere = owner != nullptr;
    if (!owner)
        owner = parent_;
    QMessageBox box(QMessageBox::NoIcon, title, prompt, QMessageBox::Ok, owner);
    if (userIsHere) {
        box.exec();
    } else {
        if (owner)
            alerts_.alert(*owner);
        waitForTheUser(box);
    }
    // Only the user, in the box, answers it: the user is here now.
    if (owner && owner->isVisible())
        owner->activateWindow();
}

// Qt asks the window manager to activate a modal window as it maps it, so the
// box is mapped as an ordinary one that asks not to be focused, and is made
// modal once it is there: the program's other windows take no input, and the
// user who comes back to one of them is led to the box.
void QtMessageBoxes::waitForTheUser(QMessageBox& box) {
    box.setAttribute(Qt::WA_ShowWithoutActivating);
    box.setModal(false); // a message box starts out modal
    box.show();
    // On the window alone: a widget made modal while visible hides itself.
    box.windowHandle()->setModality(Qt::ApplicationModal);
    QGuiApplicationPrivate::showModalWindow(box.windowHandle());
    QEventLoop answered;
    QObject::connect(&box, &QDialog::finished, &answered, &QEventLoop::quit);
    answered.exec(QEventLoop::DialogExec);
}
