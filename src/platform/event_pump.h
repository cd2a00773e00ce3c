#pragma once

// Lets pending window events run, once.
class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void processEvents() = 0;
};
