#pragma once

#include "platform/browser/engine_accessibility.h"
#include "platform/platform.h"

#include <memory>

class QtMessageBoxes;

// The real machine: one of each service, alive as long as this object. Needs
// a running QApplication. `webAccessibility` is what
// prepareEngineAccessibility() chose.
class QtPlatform {
public:
    explicit QtPlatform(WebAccessibility webAccessibility);
    ~QtPlatform();
    QtPlatform(const QtPlatform&) = delete;
    QtPlatform& operator=(const QtPlatform&) = delete;

    Platform platform() const { return platform_; }
    // Message boxes stay on top of the window they are parented to.
    QtMessageBoxes& messages();

private:
    struct Services;
    std::unique_ptr<Services> services_;
    Platform platform_;
};
