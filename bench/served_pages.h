#pragma once

#include "http_test_server.h"

#include <QHash>
#include <QThread>

// Pages served by the loopback server from a thread of its own, so that the
// thread that made it may block, or do other work, meanwhile.
class ServedPages {
public:
    explicit ServedPages(const QHash<QString, QByteArray>& bodies);
    ~ServedPages();
    ServedPages(const ServedPages&) = delete;
    ServedPages& operator=(const ServedPages&) = delete;

    QString url(const QString& path) const;

private:
    QThread thread_;
    HttpTestServer* server_;
};
