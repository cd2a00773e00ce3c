#pragma once

#include <QDateTime>
#include <QString>

#include <functional>
#include <utility>

// Tells the user through the desktop's notifications that the watched page
// changed. Every call returns at once; without a notification service nothing
// is shown and the user is told nothing.
class DesktopNotifications {
public:
    virtual ~DesktopNotifications() = default;

    // One notification naming the page's address and the time of the change,
    // offering to show the window.
    virtual void notifyChange(const QString& address, const QDateTime& time) = 0;

    // Runs when the user picks that offer on a notification.
    void setShowWindow(std::function<void()> showWindow) { showWindow_ = std::move(showWindow); }

protected:
    void showWindowAsked() const {
        if (showWindow_)
            showWindow_();
    }

private:
    std::function<void()> showWindow_;
};
