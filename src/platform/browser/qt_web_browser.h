#pragma once

#include "platform/browser/pane_load_gate.h"
#include "platform/web_browser.h"

#include <QPointer>
#include <QString>
#include <QUrl>

#include <QWebEngineView>

#include <chrono>
#include <memory>

// The browser pane on the platform's web engine. Requests return at once; the
// program listens to none of the view's signals. Pages are loaded only while
// the pane can be seen (pane_load_gate.h): in a minimized window the last
// request waits for the window to come back, so the engine's Back list holds
// only the pages shown. The pane itself releases what the engine keeps of
// pages gone for assistive tools (web_node_objects.h).
class QtWebBrowser : public WebBrowser {
public:
    static constexpr std::chrono::seconds kNodeSweepInterval{30};

    // `homeAddress` is where Home goes (given like any Navigate address);
    // `searchPage` is where Search goes.
    explicit QtWebBrowser(QString homeAddress = {},
                          QUrl searchPage = QUrl(QStringLiteral("https://duckduckgo.com/")));
    ~QtWebBrowser() override;
    QtWebBrowser(const QtWebBrowser&) = delete;
    QtWebBrowser& operator=(const QtWebBrowser&) = delete;

    QWidget* widget() override;
    QWebEngineView* view() const { return view_; }

    void Navigate(const QString& address) override;
    void GoBack() override;
    void GoForward() override;
    void GoHome() override;
    void GoSearch() override;
    void Refresh() override;
    void Stop() override;

    // How an address is handed to the engine: an existing local file as that
    // file, anything else as the user would have typed it in a browser.
    static QUrl urlFor(const QString& address);

private:
    QPointer<QWebEngineView> view_; // the main window may own it by then
    QString home_;
    QUrl search_;
    std::unique_ptr<PaneLoadGate> gate_;
};
