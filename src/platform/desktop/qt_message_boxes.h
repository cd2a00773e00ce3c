#pragma once

#include "platform/message_boxes.h"

class QMessageBox;
class QWidget;
class WindowAlerts;

// Real message boxes: modal, one OK button. A box belongs to the window the
// user is working in, else to the main window when one is given. While
// another program has the keyboard, a box opens without taking it, and its
// window asks for the user's attention instead.
class QtMessageBoxes : public MessageBoxes {
public:
    explicit QtMessageBoxes(WindowAlerts& alerts) : alerts_(alerts) {}

    void setParentWindow(QWidget* parent) { parent_ = parent; }
    void show(const QString& prompt, const QString& title) override;

private:
    void waitForTheUser(QMessageBox& box);

    WindowAlerts& alerts_;
    QWidget* parent_ = nullptr;
};
