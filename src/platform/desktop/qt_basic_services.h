#pragma once

#include "platform/busy_pointer.h"
#include "platform/event_pump.h"
#include "platform/message_boxes.h"
#include "platform/program_info.h"
#include "platform/window_frames.h"

#include <chrono>
#include <functional>
#include <optional>

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

// Lets pending events run, at most one round in each `spacing`. A read that
// finds its bytes already waiting asks for a round every 2048 bytes, and a
// round costs a system call, more than the copying of those bytes; spaced
// out, no event waits longer than `spacing`, far below what a user can see.
// A zero spacing runs a round at every call.
class QtEventPump : public EventPump {
public:
    using Clock = std::function<std::chrono::nanoseconds()>; // monotonic
    static constexpr std::chrono::nanoseconds kSpacing = std::chrono::microseconds(250);

    explicit QtEventPump(std::chrono::nanoseconds spacing = kSpacing, Clock clock = {});
    void processEvents() override;

private:
    std::chrono::nanoseconds spacing_;
    Clock clock_;
    std::optional<std::chrono::nanoseconds> lastRound_;
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
