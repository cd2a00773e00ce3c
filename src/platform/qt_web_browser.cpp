#include "platform/qt_web_browser.h"

#include <QFileInfo>
#include <QWebEngineView>

#include <utility>

QtWebBrowser::QtWebBrowser(QString homeAddress, QUrl searchPage)
    : view_(new QWebEngineView), home_(std::move(homeAddress)), search_(std::move(searchPage)) {}

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
        view_->load(urlFor(address));
}

void QtWebBrowser::GoBack() {
    if (view_)
        view_->back();
}

void QtWebBrowser::GoForward() {
    if (view_)
        view_->forward();
}

void QtWebBrowser::GoHome() {
    Navigate(home_);
}

void QtWebBrowser::GoSearch() {
    if (view_)
        view_->load(search_);
}

void QtWebBrowser::Refresh() {
    if (view_)
        view_->reload();
}

void QtWebBrowser::Stop() {
    if (view_)
        view_->stop();
}
