#include "platform/browser/qt_web_browser.h"

#include "platform/browser/web_node_objects.h"

#include <QAction>
#include <QFileInfo>
#include <QList>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <utility>

namespace {

// What the engine would offer in its context menu but cannot do here.
QList<QWebEnginePage::WebAction> unavailableActions() {
    return {QWebEnginePage::SavePage,
            QWebEnginePage::ViewSource,
            QWebEnginePage::OpenLinkInNewTab,
            QWebEnginePage::OpenLinkInNewWindow,
            QWebEnginePage::OpenLinkInNewBackgroundTab,
            QWebEnginePage::DownloadLinkToDisk,
            QWebEnginePage::DownloadImageToDisk,
            QWebEnginePage::DownloadMediaToDisk};
}

} // namespace

QtWebBrowser::QtWebBrowser(QString homeAddress, QUrl searchPage)
    : view_(new QWebEngineView), home_(std::move(homeAddress)), search_(std::move(searchPage)) {
    // The pane has no downloads, no second window and no source viewer: its
    // context menu offers only what it can do.
    for (QWebEnginePage::WebAction idle : unavailableActions())
        view_->pageAction(idle)->setVisible(false);

    // The engine leaves behind the objects of every page an assistive tool
    // could read (web_node_objects.h). They go whenever a page has loaded and
    // at least every sweep interval: the page before's tree dies only once the
    // new page's tree is built, and a page's own scripts leave objects behind
    // too, however long the period.
    QWebEngineView* view = view_;
    QObject::connect(view, &QWebEngineView::loadFinished, view,
                     [view] { releaseDeadWebNodeObjects(view); });
    auto* sweep = new QTimer(view);
    QObject::connect(sweep, &QTimer::timeout, view, [view] { releaseDeadWebNodeObjects(view); });
    sweep->start(kNodeSweepInterval);

    gate_ = std::make_unique<PaneLoadGate>(view, [view](const QUrl& url) { view->load(url); });
}

QtWebBrowser::~QtWebBrowser() {
    // Once placed in a window, the window deletes the view with its children.
    if (view_ && !view_->parent())
        delete view_.data();
}

QWidget* QtWebBrowser::widget() {
    return view_;
}

QUrl QtWebBrowser::urlFor(const QString& address) {
    QFileInfo file(address);
    if (!address.isEmpty() && file.isFile())
        return QUrl::fromLocalFile(file.absoluteFilePath());
    return QUrl::fromUserInput(address);
}

void QtWebBrowser::Navigate(const QString& address) {
    if (view_)
        gate_->request(urlFor(address));
}

// A request held stands for the page the pane would show. Back from it leads
// to the page the engine shows, and nothing lies ahead of it.
void QtWebBrowser::GoBack() {
    if (gate_->holding())
        gate_->drop();
    else if (view_)
        view_->back();
}

void QtWebBrowser::GoForward() {
    if (view_ && !gate_->holding())
        view_->forward();
}

void QtWebBrowser::GoHome() {
    Navigate(home_);
}

void QtWebBrowser::GoSearch() {
    if (view_)
        gate_->request(search_);
}

// A request held will be loaded afresh anyway.
void QtWebBrowser::Refresh() {
    if (view_ && !gate_->holding())
        view_->reload();
}

// Stopping before a page loads leaves the page shown, as it does during a load.
void QtWebBrowser::Stop() {
    gate_->drop();
    if (view_)
        view_->stop();
}
