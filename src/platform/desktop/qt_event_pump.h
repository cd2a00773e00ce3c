#pragma once

#include "platform/event_pump.h"

#include <chrono>
#include <functional>
#include <optional>

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
