#pragma once

#include "platform/busy_pointer.h"
#include "platform/event_pump.h"
#include "platform/message_boxes.h"
#include "platform/program_info.h"
#include "platform/window_frames.h"

#include <functional>

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

class QtBusyPointer : public BusyPointer {
public:
    void setBusy() override;
    void restore() override;

private:
    int depth_ = 0;
};

class QtEventPump : public EventPump {
public:
    void processEvents() override;
};

class QtProgramInfo : public ProgramInfo {
public:
    QString folder() const override;
    QString exeName() const override;
    void endProcess() override;
};

class QtWindowFrames : public WindowFrames {
public:
    QMargins frameOf(const QWidget& window) const override;
};

// A uniform fraction in [0, 1) from a generator seeded once from the clock.
std::function<double()> makeClockSeededRandom();
