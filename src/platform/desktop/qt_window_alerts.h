#pragma once

#include "platform/window_alerts.h"

class QtWindowAlerts : public WindowAlerts {
public:
    void alert(QWidget& window) override;
};
