#include "served_pages.h"

ServedPages::ServedPages(const QHash<QString, QByteArray>& bodies) : server_(new HttpTestServer) {
    for (auto it = bodies.cbegin(); it != bodies.cend(); ++it)
        server_->setBody(it.key(), it.value());
    // The scripts are set: from here on only the server's thread touches it.
    server_->moveToThread(&thread_);
    thread_.start();
}

ServedPages::~ServedPages() {
    QMetaObject::invokeMethod(
        server_, [server = server_] { delete server; }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
}

QString ServedPages::url(const QString& path) const {
    return server_->url(path);
}
