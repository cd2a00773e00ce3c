#pragma once

#include <QString>

class QWidget;

// The embedded browser pane. The program only sends requests; nothing is read
// back. Every call returns at once; pages load on their own.
class WebBrowser {
public:
    virtual ~WebBrowser() = default;

    // The widget that shows the pages; the main window places it.
    virtual QWidget* widget() = 0;

    virtual void Navigate(const QString& address) = 0;
    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    virtual void GoHome() = 0;
    virtual void GoSearch() = 0;
    virtual void Refresh() = 0;
    virtual void Stop() = 0;
};
