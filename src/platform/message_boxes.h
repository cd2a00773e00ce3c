#pragma once

#include <QString>

// Modal message boxes with one OK button.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void show(const QString& prompt, const QString& title) = 0;
};
