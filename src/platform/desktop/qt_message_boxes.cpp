#include "platform/desktop/qt_message_boxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

// A box belongs to the window the user is working in, which has the keyboard
// again once the box is closed, whatever window the window manager would
// pick next.
void QtMessageBoxes::show(const QString& prompt, const QString& title) {
    QPointer<QWidget> owner = QApplication::activeWindow();
    if (!owner)
        owner = parent_;
    QMessageBox box(QMessageBox::NoIcon, title, prompt, QMessageBox::Ok, owner);
    box.exec();
    if (owner && owner->isVisible())
        owner->activateWindow();
}
