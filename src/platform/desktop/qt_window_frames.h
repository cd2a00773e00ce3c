#pragma once

#include "platform/window_frames.h"

class QtWindowFrames : public WindowFrames {
public:
    QMargins frameOf(const QWidget& window) const override;
};
