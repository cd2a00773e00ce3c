#pragma once

// The application-wide mouse pointer: busy while reading or parsing.
class BusyPointer {
public:
    virtual ~BusyPointer() = default;
    virtual void setBusy() = 0;
    virtual void restore() = 0;
};
