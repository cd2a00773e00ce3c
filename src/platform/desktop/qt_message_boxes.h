#pragma once

#include "platform/message_boxes.h"

class QWidget;

// Real message boxes: modal, one OK button. A box belongs to the window the
// user is working in, else to the main window when one is given.
class QtMessageBoxes : public MessageBoxes {
public:
    void setParentWindow(QWidget* parent) { parent_ = parent; }
    void show(const QString& prompt, const QString& title) override;

private:
    QWidget* parent_ = nullptr;
};
