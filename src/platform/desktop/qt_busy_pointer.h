#pragma once

#include "platform/busy_pointer.h"

class QtBusyPointer : public BusyPointer {
public:
    void setBusy() override;
    void restore() override;

private:
    int depth_ = 0;
};
